#pragma once

#include <string>
#include <vector>

#include "midi/setup/sound_options.h"

namespace velmora {

struct Options {
    SoundOptions sound;
    bool listMidiOutputs = false;
    bool help = false;
    bool version = false;
    // Options of the window toolkit (-platform offscreen, -display :1 ...),
    // handed on to it untouched.
    std::vector<std::string> toolkitArguments;
};

struct ParseResult {
    Options options;
    std::string error;  // empty when the command line is good
};

// `arguments` excludes the program name.
ParseResult ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText(const std::string& programName);

}  // namespace velmora
