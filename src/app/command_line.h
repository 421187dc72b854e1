#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

struct Options {
    std::optional<std::string> soundFont;
    std::optional<std::string> audioDriver;
    std::vector<std::pair<std::string, std::string>> synthSettings;  // -o name=value
    std::optional<std::string> midiOut;
    std::optional<std::string> midiLog;
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
