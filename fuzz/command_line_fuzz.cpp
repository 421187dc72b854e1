// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// The command line: NUL-separated words, as the program receives them.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.emplace_back();
        } else {
            arguments.back() += static_cast<char>(data[i]);
        }
    }
    const ParseResult result = ParseCommandLine(arguments);
    // Refused with one of the reasons the usage line explains; accepted with
    // every setting a name and a value.
    const std::string& error = result.error;
    if (!error.empty() && error.rfind("option '", 0) != 0 &&
        error.rfind("unknown option '", 0) != 0 && error.rfind("unexpected argument '", 0) != 0) {
        std::abort();
    }
    // One line on the terminal, whatever was typed.
    for (const unsigned char c : error) {
        if (c < 0x20 || c == 0x7F) std::abort();
    }
    if (error.empty()) {
        for (const auto& [name, value] : result.options.sound.synthSettings) {
            if (name.empty()) std::abort();
        }
        if (result.options.toolkitArguments.size() > arguments.size()) std::abort();
    }
    UsageText(arguments.front());
    return 0;
}
