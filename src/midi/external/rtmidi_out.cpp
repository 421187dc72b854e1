// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/external/rtmidi_out.h"

#include <rtmidi/RtMidi.h>

#include <optional>

#include "midi/external/midi_ports.h"
#include "midi/messages.h"
#include "text/printable.h"

namespace velmora {

namespace {

// Keeps the text of RtMidi's latest error in the std::string at `lastError`.
void KeepRtMidiError(RtMidiError::Type, const std::string& text, void* lastError) {
    *static_cast<std::string*>(lastError) = text;
}

// A client on the ALSA sequencer that reports errors through `callback`; null
// when there is no MIDI system. RtMidi prints what it cannot throw, and it
// throws from its constructor after printing: the sequencer is asked first.
std::unique_ptr<::RtMidiOut> OpenClient(RtMidiErrorCallback callback, void* userData) {
    if (!AlsaSequencerAvailable()) return nullptr;
    try {
        auto client = std::make_unique<::RtMidiOut>(RtMidi::LINUX_ALSA, kMidiClientName);
        client->setErrorCallback(callback, userData);
        return client;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

std::vector<std::string> PortNames(::RtMidiOut& client) {
    std::vector<std::string> names;
    try {
        const unsigned count = client.getPortCount();
        for (unsigned i = 0; i < count; ++i) names.push_back(client.getPortName(i));
    } catch (const RtMidiError&) {
        // A port that goes away while we ask ends the list.
    }
    return names;
}

}  // namespace

std::vector<std::string> ListExternalMidiPorts() {
    auto client = OpenClient(&IgnoreRtMidiError, nullptr);
    if (!client) return {};
    return PortNames(*client);
}

ExternalMidiOut::ExternalMidiOut(std::string portSpec) : portSpec_(std::move(portSpec)) {
    description_ = "MIDI port " + Quoted(portSpec_) + " (not open)";
}

ExternalMidiOut::~ExternalMidiOut() {
    close();
}

bool ExternalMidiOut::open() {
    close();
    lastError_.clear();
    auto client = OpenClient(&KeepRtMidiError, &lastError_);
    if (!client) {
        description_ = "No sound: MIDI port " + Quoted(portSpec_) +
                       " cannot be used: no MIDI system available";
        return false;
    }
    const std::vector<std::string> names = PortNames(*client);
    const std::optional<unsigned> chosen = ChoosePort(names, portSpec_);
    if (!chosen) {
        description_ = "No sound: no MIDI output port matches " + Quoted(portSpec_) + " (" +
                       PortList(names) + ")";
        return false;
    }
    const std::string label =
        "MIDI port " + std::to_string(*chosen + 1) + ": " + Printable(names[*chosen]);
    try {
        client->openPort(*chosen, "Velmora out");
    } catch (const RtMidiError& error) {
        lastError_ = error.getMessage();
    }
    if (!client->isPortOpen()) {
        description_ = "No sound: cannot open " + label +
                       (lastError_.empty() ? std::string() : " (" + Printable(lastError_) + ")");
        return false;
    }
    port_ = std::move(client);
    portLabel_ = label;
    description_ = label;
    working_ = true;
    return true;
}

void ExternalMidiOut::send(std::uint32_t message) {
    if (!working_) return;
    unsigned char bytes[3] = {static_cast<unsigned char>(message & 0xFF),
                              static_cast<unsigned char>((message >> 8) & 0xFF),
                              static_cast<unsigned char>((message >> 16) & 0xFF)};
    lastError_.clear();
    try {
        port_->sendMessage(bytes, static_cast<std::size_t>(MessageLength(message)));
    } catch (const RtMidiError& error) {
        lastError_ = error.getMessage();
    }
    if (!lastError_.empty()) {
        // The port went away (device unplugged, client quit): drop the rest
        // quietly until the output is opened again.
        working_ = false;
        description_ =
            "No sound: " + portLabel_ + " stopped working (" + Printable(lastError_) + ")";
    }
}

void ExternalMidiOut::close() {
    working_ = false;
    if (!port_) return;
    try {
        port_->closePort();
    } catch (const RtMidiError&) {
        // Closing a port that vanished has nothing left to undo.
    }
    port_.reset();
    if (description_ == portLabel_) description_ = portLabel_ + " (closed)";
}

std::string ExternalMidiOut::description() const {
    return description_;
}

bool ExternalMidiOut::isWorking() const {
    return working_;
}

}  // namespace velmora
