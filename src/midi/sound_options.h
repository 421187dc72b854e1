#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

// What the user asked of the sound; every choice is optional.
struct SoundOptions {
    std::optional<std::string> soundFont;
    std::optional<std::string> audioDriver;
    std::vector<std::pair<std::string, std::string>> synthSettings;  // name=value
    std::optional<std::string> midiOut;  // a port's number or part of its name; "0": built in
    std::optional<std::string> midiLog;  // a file that gets every message sent
};

}  // namespace velmora
