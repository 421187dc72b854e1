// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace velmora {

// MIDI bytes from a keyboard, as its port sends them, handed over on the
// window's thread.
class MidiIn {
public:
    using Listener = std::function<void(std::span<const std::uint8_t> bytes)>;

    virtual ~MidiIn() = default;
    // Replaces the listener; an empty one hears nothing more.
    virtual void setListener(Listener listener) = 0;
};

}  // namespace velmora
