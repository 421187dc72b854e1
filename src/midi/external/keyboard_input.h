// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ports/midi_in.h"

namespace velmora {

// One MIDI input port of the system: on the ALSA sequencer or a JACK server.
struct MidiInputPort {
    bool jack = false;
    std::string name;
    bool operator==(const MidiInputPort&) const = default;
};

// The system's MIDI input ports, the ALSA sequencer's first, then JACK's, and
// the systems that did not answer within `patience` ("the JACK server"): each
// is asked on a thread of its own, which a library call that never returns
// keeps (KeyboardInput::WatchersStillRunning() counts it). Never throws,
// never starts a server; no ports when there is no MIDI system.
struct MidiInputListing {
    std::vector<MidiInputPort> ports;
    std::vector<std::string> unanswered;
};
MidiInputListing ListMidiInputPorts(std::chrono::milliseconds patience);

// The input a MIDI keyboard plays into: one port at a time, chosen by number
// or by part of its name. A worker thread watches the ports once a second:
// when the chosen one goes, it says so, and when a port of that name comes
// back, it connects again. The bytes arrive on the MIDI library's thread and
// are handed to the window's thread through a pipe, without a lock; notes
// faster than anyone plays are dropped there, and said once in the report.
class KeyboardInput final : public MidiIn {
public:
    // What the window shows: the port in use or what is wrong, the problems
    // not told yet (one line each), and the ports as last listed.
    struct Report {
        std::string status;  // empty when no input is chosen
        std::vector<std::string> newProblems;
        std::vector<MidiInputPort> ports;
        std::optional<MidiInputPort> connected;
    };

    // `changed` runs on the worker thread whenever the report changes.
    explicit KeyboardInput(std::function<void()> changed);
    ~KeyboardInput() override;
    KeyboardInput(const KeyboardInput&) = delete;
    KeyboardInput& operator=(const KeyboardInput&) = delete;

    // Uses the port `choice` names (its number as listed, from 1, or part of its
    // name), or none when `choice` is empty. A choice that names no port now is
    // kept: the port is connected when it appears.
    void choose(const std::string& choice);
    // Uses exactly this port, as listed.
    void choose(const MidiInputPort& port);
    // Lists the ports again now, as when a menu of them opens.
    void refresh();
    Report report();

    // Readable when bytes wait; deliver() hands them to the listener, at most
    // kMostBytesPerDelivery at a time (readyFd() stays readable while more
    // wait). Both on the window's thread.
    static constexpr std::size_t kMostBytesPerDelivery = 96;  // 32 notes
    int readyFd() const;
    void deliver();
    void setListener(Listener listener) override;

    // Watchers of inputs already closed, and listings given up on, that are
    // still inside a MIDI library call that does not return (a JACK server
    // that stopped answering).
    static int WatchersStillRunning();

private:
    struct Watcher;

    std::shared_ptr<Watcher> watcher_;  // shared with its thread, which may outlive this
    Listener listener_;
};

}  // namespace velmora
