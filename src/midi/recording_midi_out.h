// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <set>
#include <utility>
#include <vector>

#include "midi/messages.h"
#include "midi/midi_out.h"

namespace velmora {

// Keeps every message it is sent, and which notes are still sounding.
class RecordingMidiOut final : public MidiOut {
public:
    bool open() override {
        ++openCount;
        isOpen = true;
        return true;
    }
    void send(std::uint32_t message) override {
        messages.push_back(message);
        if (!isOpen) ++sentWhileClosed;
        const int kind = StatusOf(message) & 0xF0;
        const std::pair<int, int> key{StatusOf(message) & 0x0F, Data1Of(message)};
        if (kind == kNoteOnStatus && Data2Of(message) > 0) {
            sounding.insert(key);
        } else if (kind == kNoteOffStatus || kind == kNoteOnStatus) {
            sounding.erase(key);
        }
    }
    void close() override {
        ++closeCount;
        isOpen = false;
    }
    std::string description() const override { return "Recorder"; }
    bool isWorking() const override { return isOpen; }

    void clear() { messages.clear(); }

    std::vector<std::uint32_t> messages;
    std::set<std::pair<int, int>> sounding;  // (channel, note)
    int openCount = 0;
    int closeCount = 0;
    int sentWhileClosed = 0;
    bool isOpen = false;
};

}  // namespace velmora
