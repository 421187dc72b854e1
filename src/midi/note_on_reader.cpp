// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/note_on_reader.h"

#include "midi/messages.h"

namespace velmora {

void NoteOnReader::read(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) readByte(byte);
}

void NoteOnReader::readByte(std::uint8_t byte) {
    if (byte >= 0xF8) return;  // real-time: may come anywhere, changes nothing
    if (byte >= 0x80) {
        // A channel message starts a running status; System Exclusive and the
        // system common messages end it, and their data bytes are no notes.
        status_ = byte < 0xF0 ? byte : 0;
        dataCount_ = 0;
        return;
    }
    if (status_ == 0) return;
    data_[dataCount_++] = byte;
    const int kind = status_ & 0xF0;
    const int needed = kind == kProgramChangeStatus || kind == 0xD0 ? 1 : 2;
    if (dataCount_ < needed) return;
    dataCount_ = 0;  // the status runs on for the next message
    if (kind == kNoteOnStatus && data_[1] > 0) noteOn_(data_[0]);
}

}  // namespace velmora
