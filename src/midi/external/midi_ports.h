#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora {

// Whether the ALSA sequencer can be used, asked without a word on stderr
// (alsa-lib and the MIDI library would print their own).
bool AlsaSequencerAvailable();

// The port `wanted` names among `names`: its number as listed (from 1), else
// the first whose name contains it, ignoring case.
std::optional<unsigned> ChoosePort(const std::vector<std::string>& names,
                                   const std::string& wanted);

// "ports: 1 name, 2 name", or "no ports", for a message about a choice that failed.
std::string PortList(const std::vector<std::string>& names);

}  // namespace velmora
