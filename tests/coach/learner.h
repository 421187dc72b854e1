// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "coach/mastery.h"

namespace velmora::testing::coach {

inline constexpr std::int64_t kMinute = 60'000;
inline constexpr std::int64_t kDay = 24 * 60 * kMinute;

// An answer as the journal keeps it; a wrong one names the pitch class above.
inline JournalEntry Answer(std::vector<int> notes, bool right, int milliseconds, std::int64_t utc,
                           int offset = 0, int run = 1, std::int64_t session = 1) {
    JournalEntry entry;
    entry.utcMilliseconds = utc;
    entry.utcOffsetMinutes = offset;
    entry.session = session;
    entry.run = run;
    for (int note : notes) entry.answered.push_back((note + (right ? 0 : 1)) % 12);
    entry.notes = std::move(notes);
    entry.correct = right;
    entry.responseMilliseconds = milliseconds;
    return entry;
}

// A learner naming single notes a minute apart, each a question of its own,
// from 10:00 UTC on.
struct Learner {
    void answer(int pitchClass, int count, bool right, int milliseconds = 1000) {
        for (int i = 0; i < count; ++i, utc += kMinute) {
            tracker.add(Answer({60 + pitchClass}, right, milliseconds, utc, offset, ++run));
        }
    }
    void nextDay() { utc += kDay; }
    // Quick and right on one day, and once more on the next.
    void master(int pitchClass) {
        answer(pitchClass, 20, true);
        nextDay();
        answer(pitchClass, 1, true);
    }
    PitchMastery of(int pitchClass) const { return tracker.pitchClass(pitchClass); }

    MasteryTracker tracker;
    std::int64_t utc = 20'000 * kDay + 10 * 60 * kMinute;
    int offset = 0;
    int run = 0;
};

}  // namespace velmora::testing::coach
