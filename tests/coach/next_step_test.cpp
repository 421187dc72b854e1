// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "coach/next_step.h"

#include <gtest/gtest.h>

#include "coach/learner.h"
#include "progress/progress_statistics.h"
#include "testing/trainer_rig.h"

// In a namespace of their own: test files are compiled several to a unit.
namespace velmora::testing::coach {
namespace {

// A key signature's spelling, which every sentence must follow.
const std::array<std::string, kPitchClasses> kNames = {"B#", "C#", "D",  "D#", "E",  "E#",
                                                       "F#", "G",  "G#", "A",  "A#", "B"};

std::array<bool, kPitchClasses> Ticked(std::initializer_list<int> pitchClasses) {
    std::array<bool, kPitchClasses> ticked{};
    for (int pc : pitchClasses) ticked[pc] = true;
    return ticked;
}

void ExpectStep(const NextStep& step, NextStep::Action action, const std::string& sentence,
                const std::string& button, int exercise, std::vector<int> pitchClasses = {}) {
    EXPECT_EQ(step.action, action);
    EXPECT_EQ(step.sentence, sentence);
    EXPECT_EQ(step.button, button);
    EXPECT_EQ(step.exercise, exercise);
    EXPECT_EQ(step.pitchClasses, pitchClasses);
}

using Action = NextStep::Action;

TEST(NextStep, AMasteredExerciseTickedLeadsToTheNextOfItsSeries) {
    Learner learner;
    for (int pc : {0, 2, 4}) learner.master(pc);
    ExpectStep(ChooseNextStep(learner.tracker, Tally{}, Ticked({0, 2}), kNames),
               Action::SelectExercise, "Diatonic 1 is mastered: go on to Diatonic 3",
               "Start Diatonic 3", 13);
    EXPECT_EQ(ExerciseShortName(2), "Diminished 3");

    // With every pitch class mastered there is nowhere further to go.
    for (int pc = 0; pc < kPitchClasses; ++pc) learner.master(pc);
    ExpectStep(ChooseNextStep(learner.tracker, Tally{},
                              Ticked({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), kNames),
               Action::None, "Every pitch class is mastered.", "", -1);
}

TEST(NextStep, APairConfusedFiveTimesThisWeekIsPractisedTogether) {
    Learner learner;
    learner.answer(0, 3, true);  // learning, but the pair comes first
    Tally week;
    week.confusion[0][0] = 90;  // right answers are no confusion
    week.confusion[3][4] = 4;
    week.confusion[11][1] = 6;
    week.confusion[9][2] = 6;  // as many: the lower pitch class asked wins
    ExpectStep(ChooseNextStep(learner.tracker, week, Ticked({0}), kNames), Action::TickPitchClasses,
               "You took A for D 6 times this week: practise A and D together", "Practise A and D",
               -1, {2, 9});
    week.confusion[9][2] = week.confusion[11][1] = 4;
    EXPECT_EQ(ChooseNextStep(learner.tracker, week, Ticked({0}), kNames).action,
              Action::TickPitchClasses);
    EXPECT_EQ(ChooseNextStep(learner.tracker, week, Ticked({0}), kNames).pitchClasses,
              (std::vector<int>{0, 1, 11}))
        << "below five: the learning pitch class";
}

TEST(NextStep, TheLearningPitchClassFurthestFromItsMarkIsPractisedWithItsNeighbours) {
    Learner learner;
    learner.master(3);
    learner.answer(11, 17, true);
    ExpectStep(ChooseNextStep(learner.tracker, Tally{}, {}, kNames), Action::TickPitchClasses,
               "B is 1 right answer from mastered", "Practise B", -1, {0, 10, 11});
    learner.answer(4, 10, true);
    ExpectStep(ChooseNextStep(learner.tracker, Tally{}, {}, kNames), Action::TickPitchClasses,
               "E is 8 right answers from mastered", "Practise E", -1, {3, 4, 5});

    Learner slow;
    slow.answer(6, 20, true, 2340);
    const NextStep step = ChooseNextStep(slow.tracker, Tally{}, {}, kNames, ',');
    EXPECT_EQ(step.sentence,
              "F# is named right often enough: now name it within 2 seconds (half of the answers "
              "take 2,4 s now)");
    EXPECT_EQ(step.pitchClasses, (std::vector<int>{5, 6, 7}));

    slow.answer(6, 20, true);
    EXPECT_EQ(ChooseNextStep(slow.tracker, Tally{}, {}, kNames).sentence,
              "F# holds its mark today: practise it again on another day to master it");
}

TEST(NextStep, WithNothingBeingLearnedTheFirstExerciseNotMasteredIsNext) {
    Learner learner;
    for (int pc : {0, 2, 4}) learner.master(pc);
    ExpectStep(ChooseNextStep(learner.tracker, Tally{}, Ticked({3}), kNames),
               Action::SelectExercise, "Go on with Diatonic 3: B#, D, E and E#", "Start Diatonic 3",
               13);
}

std::vector<int> TickedItems(const Panel& panel) {
    std::vector<int> ticked;
    for (int i = 0; i < panel.lstPitch.count(); ++i) {
        if (panel.lstPitch.selected(i)) ticked.push_back(i);
    }
    return ticked;
}

TEST(NextStep, IsTakenThroughTheMenuAndThePitchListButNeverDuringARun) {
    TrainerRig rig({.seed = 3, .startTime = TimeOfDay{9, 0, 0}});
    rig.trainer.Form_Load();
    Panel& panel = rig.trainer.panel();
    NextStep select, tick;
    select.action = Action::SelectExercise;
    select.exercise = 14;
    tick.action = Action::TickPitchClasses;
    tick.pitchClasses = {0, 10, 11};

    ASSERT_TRUE(TakeNextStep(select, panel));
    EXPECT_EQ(TickedItems(panel), (std::vector<int>{0, 2, 4, 5, 7}));
    ASSERT_TRUE(TakeNextStep(tick, panel));
    EXPECT_EQ(TickedItems(panel), (std::vector<int>{0, 10, 11}));
    for (int pc = 0; pc < kPitchClasses; ++pc) {
        EXPECT_EQ(panel.cmdAnswerButton[pc].enabled(), panel.lstPitch.selected(pc))
            << "the list's handler followed every tick";
    }
    EXPECT_FALSE(TakeNextStep(NextStep{}, panel));
    EXPECT_FALSE(rig.trainer.state().exerciseRunning);
    EXPECT_FALSE(rig.trainer.playback().isWaiting()) << "nothing sounds";

    panel.cmdPlay.click();
    ASSERT_TRUE(rig.trainer.state().exerciseRunning);
    EXPECT_FALSE(TakeNextStep(select, panel));
    tick.pitchClasses = {1};
    EXPECT_FALSE(TakeNextStep(tick, panel));
    EXPECT_EQ(TickedItems(panel), (std::vector<int>{0, 10, 11}));
    panel.cmdPlayStop.click();
    EXPECT_TRUE(TakeNextStep(select, panel));
}

}  // namespace
}  // namespace velmora::testing::coach
