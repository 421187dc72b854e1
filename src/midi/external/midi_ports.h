// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <bitset>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <rtmidi/RtMidi.h>

namespace velmora {

// The name this program's MIDI clients show to other programs.
inline constexpr const char* kMidiClientName = "Velmora";

// For the MIDI library's clients whose errors are told otherwise: without an
// error callback it prints them on stderr.
inline void IgnoreRtMidiError(RtMidiError::Type, const std::string&, void*) {}

// Whether the ALSA sequencer can be used, asked without a word on stderr
// (alsa-lib and the MIDI library would print their own).
bool AlsaSequencerAvailable();

// The port `wanted` names among `names`: its number as listed (from 1), else
// the first whose name contains it, ignoring case.
std::optional<unsigned> ChoosePort(const std::vector<std::string>& names,
                                   const std::string& wanted);

// "ports: 1 name, 2 name", or "no ports", for a message about a choice that failed.
std::string PortList(const std::vector<std::string>& names);

// Lets through what a person can play and stops a flood (a device gone wrong,
// a MIDI loop) before it reaches the window: a note-on that is one more than
// kMostNotes within kSpan is dropped, with the note-off of every note dropped.
// Used by one thread at a time, the MIDI library's, so it takes no lock.
class NoteFloodGate {
public:
    static constexpr std::size_t kMostNotes = 50;
    static constexpr std::chrono::milliseconds kSpan{100};

    // Whether `message`, one whole MIDI message arriving at `now`, goes on.
    bool pass(std::span<const std::uint8_t> message, std::chrono::steady_clock::time_point now);

private:
    // The latest note-ons to arrive, let through or not; the oldest at next_.
    std::array<std::chrono::steady_clock::time_point, kMostNotes> arrivals_{};
    std::size_t next_ = 0;
    std::size_t seen_ = 0;           // up to kMostNotes
    std::bitset<16 * 128> dropped_;  // by channel and key: notes whose note-on was dropped
};

}  // namespace velmora
