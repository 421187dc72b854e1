// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/external/midi_ports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <vector>

namespace velmora::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Stream {
    const char* name;
    int notesAtOnce;
    std::chrono::microseconds every;
    std::chrono::milliseconds lasting;
    bool flood;  // only the first NoteFloodGate::kMostNotes notes pass
};

// Note-on and note-off pairs, with a controller between them, as a keyboard
// or a device gone wrong sends them; the clock is the test's own.
TEST(NoteFloodGate, LetsThroughWhatAPersonPlaysAndDropsAFloodUntilItCalms) {
    const Stream streams[] = {
        {"chords of ten, five a second", 10, 200ms, 3000ms, false},
        {"fifty at once, ten times a second", 50, 100ms, 1000ms, false},
        {"450 a second, evenly", 1, 2223us, 3000ms, false},
        {"fifty-one at once", 51, 1000ms, 1ms, true},
        {"600 a second, evenly", 1, 1667us, 3000ms, true},
        {"10 000 a second", 1, 100us, 3000ms, true},
    };
    for (const Stream& stream : streams) {
        SCOPED_TRACE(stream.name);
        NoteFloodGate gate;
        Clock::time_point now{};
        int sent = 0;
        int notes = 0;
        int offs = 0;
        int others = 0;
        std::deque<Clock::time_point> inLastSpan;  // the notes let through
        std::size_t mostInASpan = 0;
        auto play = [&] {
            const auto channel = static_cast<std::uint8_t>(sent % 16);
            const auto key = static_cast<std::uint8_t>(sent % 128);
            const std::vector<std::uint8_t> on = {std::uint8_t(0x90 | channel), key, 100};
            const std::vector<std::uint8_t> controller = {std::uint8_t(0xB0 | channel), 1, 64};
            const std::vector<std::uint8_t> off = {std::uint8_t(0x90 | channel), key, 0};
            if (gate.pass(on, now)) {
                ++notes;
                inLastSpan.push_back(now);
                while (now - inLastSpan.front() >= NoteFloodGate::kSpan) inLastSpan.pop_front();
                mostInASpan = std::max(mostInASpan, inLastSpan.size());
            }
            others += gate.pass(controller, now);
            offs += gate.pass(off, now);
            ++sent;
        };
        for (const auto start = now; now - start < stream.lasting; now += stream.every) {
            for (int i = 0; i < stream.notesAtOnce; ++i) play();
        }
        EXPECT_LE(mostInASpan, NoteFloodGate::kMostNotes);
        EXPECT_EQ(notes, stream.flood ? int(NoteFloodGate::kMostNotes) : sent) << "of " << sent;
        EXPECT_EQ(offs, notes) << "the note-offs of the notes dropped are dropped";
        EXPECT_EQ(others, sent) << "only notes are held back";
        now += NoteFloodGate::kSpan;
        const std::vector<std::uint8_t> note = {0x90, 60, 100};
        EXPECT_TRUE(gate.pass(note, now)) << "calm again";
    }
}

}  // namespace
}  // namespace velmora::testing
