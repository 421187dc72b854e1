// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <functional>
#include <string>
#include <vector>

#include "midi/sound_options.h"

namespace velmora {

struct StartingSound {
    SoundOptions options;
    std::string problem;  // why a remembered choice was set aside; empty when none was
};

// What a remembered choice is checked against, asked only when needed.
struct SoundChecks {
    std::function<std::vector<std::string>()> midiOutputs;  // the external ports now
    std::function<std::vector<std::string>()> audioOutputs;
    std::function<std::string(const std::string&)> soundFontProblem;  // empty: fine
};

// The system's own checks.
SoundChecks SystemSoundChecks();

// The sound to start with: each choice the command line gives, else the one
// remembered. A remembered choice that no longer works (its port gone, its
// SoundFont deleted) never stops the start: the remembered sound choices give
// way to the built-in synthesizer with the default SoundFont, and `problem`
// says why. Choices on the command line are taken as they are: a problem with
// them shows once they are opened. The remembered volume is kept either way.
StartingSound ChooseStartingSound(const SoundOptions& given, const SoundOptions& remembered,
                                  const SoundChecks& checks = SystemSoundChecks());

}  // namespace velmora
