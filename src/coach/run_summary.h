// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "coach/mastery.h"
#include "model/trainer_state.h"
#include "ports/journal.h"

namespace velmora {

// A pitch class whose state moved during a run.
struct MasteryChange {
    int pitchClass = 0;
    MasteryState before = MasteryState::New;
    MasteryState after = MasteryState::New;
};

// How one run went, from its answers as the journal got them.
struct RunSummary {
    int answers = 0;  // every graded answer, as the results table counts them
    int right = 0;
    int wrong = 0;
    int firstAttempts = 0;  // answers to questions asked for the first time
    int firstAttemptsRight = 0;
    int bestStreak = 0;  // right answers in a row, at most
    // The most frequent wrong naming: asked, answered, times; none without one.
    int confusedAsked = -1;
    int confusedAnswered = -1;
    int confusedTimes = 0;
    std::vector<MasteryChange> changes;  // by pitch class
};

// `run` holds the run's answers in order; `before` and `after` the mastery at
// its start and now.
RunSummary SummariseRun(const std::vector<JournalEntry>& run, const PitchMasteries& before,
                        const PitchMasteries& after);

// "F# is now mastered", "E is no longer mastered", "G is now being learned".
std::string MasteryChangeWords(const MasteryChange& change,
                               const std::array<std::string, kPitchClasses>& names);

}  // namespace velmora
