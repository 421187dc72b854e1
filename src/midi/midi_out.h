// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// A sink of MIDI short messages: the built-in synthesizer, an external port,
// a log, or a recorder in tests.
class MidiOut {
public:
    virtual ~MidiOut() = default;

    // Returns false when the output cannot sound; the trainer carries on and
    // every message is then dropped. description() says why.
    virtual bool open() = 0;
    // One message: status in the low byte, then the two data bytes.
    virtual void send(std::uint32_t message) = 0;
    virtual void close() = 0;

    // What is in use ("Built-in synthesizer · TimGM6mb") or what is wrong.
    virtual std::string description() const = 0;
    virtual bool isWorking() const = 0;
};

}  // namespace velmora
