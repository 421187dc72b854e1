// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "journal/file_helpers.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace velmora {

std::string SystemError(const std::string& what, int number) {
    return what + ": " + std::strerror(number);
}

// Digits written in place: an export appends millions of numbers.
void AppendNumbers(std::string& text, const std::vector<int>& values) {
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (k > 0) text += ' ';
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, values[k]).ptr;
        text.append(digits, end);
    }
}

std::filesystem::path XdgBaseFolder(const char* variable, const char* fallbackUnderHome) {
    const char* xdg = std::getenv(variable);
    if (xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / fallbackUnderHome;
}

}  // namespace velmora
