// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace velmora {

// Reads the bytes a MIDI input port delivers and reports every note-on with a
// velocity above 0, on any channel. Running status, real-time bytes in the
// middle of a message, System Exclusive and the system common messages are
// read as MIDI defines them, so none of their bytes is taken for a note.
class NoteOnReader {
public:
    explicit NoteOnReader(std::function<void(int note)> noteOn) : noteOn_(std::move(noteOn)) {}

    void read(std::span<const std::uint8_t> bytes);

private:
    void readByte(std::uint8_t byte);

    std::function<void(int note)> noteOn_;
    std::uint8_t status_ = 0;  // the running status; 0 while there is none
    std::uint8_t data_[2] = {};
    int dataCount_ = 0;
};

}  // namespace velmora
