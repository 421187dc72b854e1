// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/messages.h"

#include <cstdio>

namespace velmora {

int MessageLength(std::uint32_t message) {
    const int status = StatusOf(message);
    if (status < 0x80 || status >= 0xF0) return 1;
    const int kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 2 : 3;
}

std::string FormatMessage(std::uint32_t message) {
    const int length = MessageLength(message);
    char text[9];
    std::snprintf(text, sizeof text, "%02X", StatusOf(message));
    std::string result = text;
    for (int i = 1; i < length; ++i) {
        std::snprintf(text, sizeof text, " %02X", static_cast<int>((message >> (8 * i)) & 0xFF));
        result += text;
    }
    return result;
}

}  // namespace velmora
