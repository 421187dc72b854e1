// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>
#include <string>

namespace velmora {

inline constexpr int kProgramChangeStatus = 0xC0;
inline constexpr int kNoteOnStatus = 0x90;
inline constexpr int kNoteOffStatus = 0x80;

// Status byte in bits 0-7, data bytes in bits 8-15 and 16-23, bits 24-31 zero.
constexpr std::uint32_t ComposeShortMessage(int status, int channel, int data1, int data2) {
    return static_cast<std::uint32_t>(((status + (channel & 0x0F)) & 0xFF) | ((data1 & 0x7F) << 8) |
                                      ((data2 & 0x7F) << 16));
}

constexpr bool IsMidiDataByte(int value) {
    return value >= 0 && value <= 127;
}

constexpr int StatusOf(std::uint32_t message) {
    return static_cast<int>(message & 0xFF);
}
constexpr int Data1Of(std::uint32_t message) {
    return static_cast<int>((message >> 8) & 0xFF);
}
constexpr int Data2Of(std::uint32_t message) {
    return static_cast<int>((message >> 16) & 0xFF);
}

// How many bytes the message has on the wire: 2 for program change and
// channel pressure, 3 for the other channel messages, 1 otherwise.
int MessageLength(std::uint32_t message);

// The message's bytes in hex, as a MIDI monitor shows them: "90 3C 7F".
std::string FormatMessage(std::uint32_t message);

}  // namespace velmora
