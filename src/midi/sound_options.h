#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

// What the user asked of the sound, from the command line, the remembered
// choices or the Sound dialog; every choice is optional.
struct SoundOptions {
    // A file chosen by the user, else the system's GM SoundFont.
    std::optional<std::string> soundFont;
    // A driver chosen by the user, else the best that starts.
    std::optional<std::string> audioDriver;
    // Any synthesizer setting, name=value.
    std::vector<std::pair<std::string, std::string>> synthSettings;
    std::optional<std::string> midiOut;  // a port's number or part of its name; "0": built in
    std::optional<std::string> midiLog;  // a file that gets every message sent
};

}  // namespace velmora
