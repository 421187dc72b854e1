// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "model/panel.h"
#include "model/trainer_state.h"
#include "ports/journal.h"
#include "ports/scheduler.h"
#include "ports/wall_clock.h"

namespace velmora {

// The pitch class of a pitch name as the answer buttons show it ("Eb", "B#",
// "Fx"), or -1 for anything else.
int PitchClassOfName(std::string_view name);

// The pitch classes of an answer as shown ("C-E-G"), in the order given, at
// most `most` of them: an answer that grew far too long is read only as far
// as it is needed.
std::vector<int> PitchClassesOfAnswer(std::string_view typed,
                                      std::size_t most = static_cast<std::size_t>(-1));

// Hands every record the results table receives to the practice journal, with
// the settings it was asked under and how long the answer took.
class AnswerJournal {
public:
    AnswerJournal(Panel& panel, TrainerState& state, Scheduler& scheduler,
                  const WallClock& wallClock)
        : panel_(panel), state_(state), scheduler_(scheduler), wallClock_(wallClock) {}

    // Null: answers are kept nowhere.
    void setJournal(Journal* journal) { journal_ = journal; }

    // A run has begun: runs are counted from 1 in each start of the program.
    void runStarted();
    // The current question is about to sound. Its first sounding under this
    // number (a new question, or one posed again after a wrong answer) starts
    // the response time; the replays while the user thinks do not.
    void questionSounding();
    // The results table has just received a record; `replacesLast` when it
    // replaced the previous one (an answer that grew too long).
    void recorded(bool replacesLast);

    // The entry the journal would receive for the record just made.
    JournalEntry entryForLastRecord() const;

private:
    Panel& panel_;
    TrainerState& state_;
    Scheduler& scheduler_;
    const WallClock& wallClock_;
    Journal* journal_ = nullptr;
    int run_ = 0;
    // The question whose sounding started the response time, and when.
    int timedRun_ = 0;
    int timedQuestion_ = -1;
    Nanos soundedAt_{0};
};

}  // namespace velmora
