// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/midi_out.h"

class RtMidiOut;

namespace velmora {

// The names of the system's MIDI output ports, in port-number order.
// Never throws; empty when there is no MIDI system.
std::vector<std::string> ListExternalMidiPorts();

// An external MIDI output port, chosen by its number or by part of its name.
class ExternalMidiOut final : public MidiOut {
public:
    explicit ExternalMidiOut(std::string portSpec);
    ~ExternalMidiOut() override;

    bool open() override;
    void send(std::uint32_t message) override;
    void close() override;
    std::string description() const override;
    bool isWorking() const override;

private:
    std::string portSpec_;
    std::unique_ptr<::RtMidiOut> port_;
    std::string description_;
    std::string portLabel_;  // "MIDI port 1: name" of the port open now
    std::string lastError_;  // filled by RtMidi's error callback
    bool working_ = false;
};

}  // namespace velmora
