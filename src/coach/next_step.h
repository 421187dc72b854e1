// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <string>
#include <vector>

#include "coach/mastery.h"
#include "model/trainer_state.h"

namespace velmora {

struct Panel;
struct Tally;

// What the learner should practise next, in one sentence, and the one click
// that sets the trainer up for it.
struct NextStep {
    enum class Action { None, SelectExercise, TickPitchClasses };
    Action action = Action::None;
    std::string sentence;           // "Diatonic 5 is mastered: go on to Diatonic 6"
    std::string button;             // "Start Diatonic 6"; empty with Action::None
    int exercise = -1;              // the exercise to choose, for SelectExercise
    std::vector<int> pitchClasses;  // exactly these ticked, for TickPitchClasses
    bool operator==(const NextStep&) const = default;
};

// "Diatonic 5" for the menu's "Diatonic Exercise 5 (C, D, E, F, G, A)".
std::string ExerciseShortName(int exercise);

// The rule, in order: the exercise ticked now is mastered, so go on to the
// next one of its series; a pair of pitch classes confused at least five times
// in the last seven days (`lastSevenDays`), so practise the two together; the
// learning pitch class furthest from its mark, with its neighbours. Without any
// of these, the first exercise not mastered. `names` spells the pitch classes.
// `decimalSeparator` writes seconds as the reader's language does.
NextStep ChooseNextStep(const MasteryTracker& mastery, const Tally& lastSevenDays,
                        const std::array<bool, kPitchClasses>& ticked,
                        const std::array<std::string, kPitchClasses>& names,
                        char decimalSeparator = '.');

// "2.4" for 2 340 ms: tenths, rounded up, so a time just past two seconds
// never reads as 2.0.
std::string SecondsText(int milliseconds, char decimalSeparator = '.');

// Sets the trainer up for the step through the handlers a user's clicks use:
// the exercise menu, or the pitch list's ticks. Never starts a run. Refused
// (false, nothing changed) while the settings are locked by a run.
bool TakeNextStep(const NextStep& step, Panel& panel);

}  // namespace velmora
