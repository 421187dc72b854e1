// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "midi/midi_out.h"

namespace velmora {

// The trainer's one output, whose sink can be exchanged while it plays: the
// trainer keeps its reference, and the sink changes underneath.
class SwitchableOut final : public MidiOut {
public:
    explicit SwitchableOut(std::unique_ptr<MidiOut> sink) : sink_(std::move(sink)) {}

    bool open() override;
    void send(std::uint32_t message) override;
    void close() override;
    std::string description() const override { return sink_->description(); }
    bool isWorking() const override { return open_ && sink_->isWorking(); }

    // Puts `next` in place of the sink. While this is open, the notes still
    // sounding are released on the old sink (each note, then all notes off on
    // its channel) and the old sink is closed before `next` opens, so nothing
    // is sent to a closed output. Returns the old sink, closed.
    std::unique_ptr<MidiOut> replace(std::unique_ptr<MidiOut> next);

private:
    std::unique_ptr<MidiOut> sink_;
    std::set<std::pair<int, int>> sounding_;  // (channel, note)
    std::set<int> channelsUsed_;
    bool open_ = false;
};

}  // namespace velmora
