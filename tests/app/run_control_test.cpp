// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "app/run_control.h"

#include <gtest/gtest.h>

#include "app/run_fixture.h"

namespace velmora::testing {
namespace {

TEST_F(RunTest, PlayNeedsElevenSemitonesAndSomethingToAsk) {
    setRange(60, 70);
    panel().cmdPlay.click();
    checkOnly({});
    setRange(60, 71);
    panel().cmdPlay.click();
    EXPECT_FALSE(state().exerciseRunning);
    EXPECT_TRUE(device.messages.empty());

    checkOnly({0});
    panel().cmdPlay.click();
    EXPECT_TRUE(state().exerciseRunning);
    EXPECT_EQ(panel().lblQuestionNumber.caption(), "Q # 1");
    EXPECT_EQ(noteOns(), 1);
}

TEST_F(RunTest, PlayLocksTheSettingsAndNothingElse) {
    std::vector<std::pair<Control*, bool>> before;
    for (Control* control : panel().controls()) before.push_back({control, control->enabled()});
    panel().cmdPlay.click();
    const auto& locked = trainer.settingsLock().lockedControls();
    for (auto [control, enabled] : before) {
        const bool isLocked = std::find(locked.begin(), locked.end(), control) != locked.end();
        // The timer is the run's own.
        EXPECT_TRUE(control == &panel().Timer1 || control->enabled() == (enabled && !isLocked))
            << control->name();
    }
}

TEST_F(RunTest, ACompleteChordIsGradedAndAWrongOnePosedAgainUnderTheNextNumber) {
    checkOnly({0, 4, 7});
    panel().cmdPlay.click();
    pose({60, 64, 67});
    press({0, 4});
    EXPECT_EQ(panel().lblResult.caption(), "") << "nothing shown before the answer is complete";
    finishPlayback();
    EXPECT_EQ(panel().lblQuestionNumber.caption(), "Q # 1") << "same question played again";
    EXPECT_EQ(state().questionNotes, (std::vector<Note>{60, 64, 67}));
    press({7});
    EXPECT_EQ(panel().lblResult.caption(), "Correct");
    EXPECT_EQ(panel().lblResult.backColor(), kCorrectBackground);
    EXPECT_EQ(panel().lblNoteInput.caption(), "C-E-G");
    finishPlayback();
    EXPECT_EQ(panel().lblQuestionNumber.caption(), "Q # 2");
    EXPECT_EQ(state().answerIndex, -1);

    pose({60, 64, 67});
    press({4, 0});
    EXPECT_TRUE(beeper.beeps.empty());
    press({7});
    EXPECT_EQ(panel().lblResult.caption(), "Incorrect");
    EXPECT_EQ(panel().lblResult.backColor(), kIncorrectBackground);
    EXPECT_EQ(beeper.beeps, (std::vector<std::pair<int, int>>{{440, 200}}));
    finishPlayback();
    EXPECT_EQ(panel().lblQuestionNumber.caption(), "Q # 3");
    EXPECT_EQ(state().questionNotes, (std::vector<Note>{60, 64, 67}));
    EXPECT_EQ(panel().lblResult.caption(), kChordPrompt);
    EXPECT_EQ(panel().lblResult.backColor(), kPromptBackground);
    EXPECT_EQ(panel().lblNoteInput.caption(), "");
    EXPECT_EQ(state().responseLog.back(), "#2 = C4-E4-G4 = E-C-G = Incorrect");
}

TEST_F(RunTest, KeysAnswerInEitherCaseOnlyWhileAnAnswerButtonHasTheFocus) {
    checkOnly({0, 4, 7});
    panel().cmdPlay.click();
    ASSERT_TRUE(panel().cmdAnswerButton[0].hasFocus());
    pose({48, 52, 55});
    type("cEg");
    EXPECT_EQ(panel().lblResult.caption(), "Correct") << "any octave is right";
    EXPECT_TRUE(panel().cmdAnswerButton[7].hasFocus()) << "focus follows the pitch pressed";

    pose({60});
    type("x1!");
    EXPECT_EQ(state().answerIndex, -1) << "other keys do nothing";
    panel().cmdPlay.setFocus();
    type("c");
    EXPECT_EQ(state().answerIndex, -1) << "no answer button has the focus";
}

TEST_F(RunTest, OverLongAnswerReplacesTheAttemptsRecordAndCount) {
    checkOnly({0, 4, 7});
    panel().cmdPlay.click();
    pose({60});
    press({0});
    ASSERT_EQ(stats()[0], "Right: 1");
    press({4});
    EXPECT_EQ(panel().lblResult.caption(), "Incorrect");
    EXPECT_EQ(state().rightCount, 0);
    EXPECT_EQ(state().wrongCount, 1);
    EXPECT_EQ(state().responseLog, std::vector<std::string>{"#1 = C4 = C-E = Incorrect"});
    press({7});
    EXPECT_EQ(state().wrongCount, 1);
    EXPECT_EQ(state().responseLog, std::vector<std::string>{"#1 = C4 = C-E-G = Incorrect"});
    EXPECT_EQ(beeper.beeps.size(), 2u);

    // After a wrong answer, more presses keep both counts.
    finishPlayback();  // posed again as Q # 2
    press({4});
    press({0});
    EXPECT_EQ(state().rightCount, 0);
    EXPECT_EQ(state().wrongCount, 2);
    EXPECT_EQ(state().responseLog.back(), "#2 = C4 = E-C = Incorrect");
    EXPECT_EQ(panel().ListView1.rows().back(), (ListView::Row{"#2", "C4", "E-C", "Incorrect"}));
}

TEST_F(RunTest, ShepardAnswersAreGradedAtEveryPress) {
    checkOnly({6});
    panel().chkShepard.setChecked(true);
    panel().cmdPlay.click();
    ASSERT_EQ(state().questionText, "F#");
    press({6});
    EXPECT_EQ(panel().lblResult.caption(), "Correct");
    type("f");  // F is not asked, so only its key reaches it
    EXPECT_EQ(panel().lblResult.caption(), "Incorrect");
    EXPECT_EQ(panel().lblResult.backColor(), kCorrectBackground)
        << "a wrong press keeps the colour";
    EXPECT_EQ(state().responseLog,
              (std::vector<std::string>{"#1 = F# = F# = Correct", "#2 = F# = F#-F = Incorrect"}));
    finishPlayback();
    EXPECT_EQ(panel().lblQuestionNumber.caption(), "Q # 2") << "posed again after Incorrect";
    EXPECT_EQ(panel().lblResult.caption(), kSingleNotePrompt);
}

TEST_F(RunTest, ChangeAnswerStartsTheAttemptAgain) {
    checkOnly({0, 4, 7});
    panel().vsbMaximum.setValue(3);  // "change answer" is for chords
    panel().cmdPlay.click();
    pose({60, 64, 67});
    press({4, 0});
    panel().cmdEraseAnswer.click();
    EXPECT_EQ(panel().lblNoteInput.caption(), "");
    EXPECT_EQ(state().answerIndex, -1);
    EXPECT_TRUE(panel().cmdAnswerButton[0].hasFocus());
    press({0, 4, 7});
    EXPECT_EQ(panel().lblResult.caption(), "Correct");
}

TEST_F(RunTest, StopLetsTheNotesFinishAndKeepsTheResults) {
    checkOnly({0, 4, 7});
    panel().cmdPlay.click();
    pose({60});
    press({0});
    clock.advanceBy(Ms(1000));
    panel().cmdPlayStop.click();
    EXPECT_EQ(device.sounding.size(), 1u) << "the note is not cut short";
    clock.advanceBy(Ms(20000));
    EXPECT_EQ(stats()[0], "Right: 1");
    EXPECT_EQ(panel().ListView1.rows().size(), 1u);
    press({0});
    EXPECT_EQ(state().rightCount, 1) << "no answers outside a run";
}

TEST_F(RunTest, PlayDuringARunReleasesTheNotesAtOnceAndStartsAFreshRun) {
    checkOnly({0, 4, 7});
    panel().cmdPlay.click();
    pose({60});
    press({0});
    clock.advanceBy(Ms(1000));
    ASSERT_FALSE(device.sounding.empty());
    const int before = noteOns();
    panel().cmdPlay.click();
    EXPECT_EQ(noteOns(), before + 1) << "the new question sounds";
    EXPECT_EQ(device.sounding.size(), 1u) << "only the new question sounds";
    EXPECT_TRUE(stats().empty()) << "no statistics left from the last run";
    EXPECT_EQ(panel().ListView1.columns().size(), 4u) << "the table keeps its columns";
    EXPECT_EQ(panel().lblQuestionNumber.caption(), "Q # 1");
    finishPlayback();
    EXPECT_EQ(panel().lblQuestionNumber.caption(), "Q # 1") << "one run, not two";
    EXPECT_EQ(device.sounding.size(), 1u);
}

// The time allowed runs against the time of day, so a step of the wall clock
// moves the end of the run; until then the questions keep the beat of the
// monotonic clock.
TEST_F(RunTest, AWallClockStepMovesTheEndOfTheRunButNotTheBeatOfTheQuestions) {
    using std::chrono::seconds;
    auto setWallClock = [this](int secondOfDay) {
        secondOfDay = (secondOfDay % 86400 + 86400) % 86400;
        wallClock.setStart(secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    };
    struct Case {
        const char* what;
        int start;  // second of the day at PLAY
        int step;   // at 8 s into the run
        int endsAt;
    };
    const Case cases[] = {{"set back", 9 * 3600, -40, 160},
                          {"set back across 12 o'clock", 12 * 3600, -40, 160},
                          {"set forward by less than the time left", 9 * 3600, 60, 60},
                          {"set forward past the time left", 9 * 3600, 3600, 9}};
    checkOnly({0});
    panel().vsbAlottedTimeForExercise.setValue(120);
    for (const Case& run : cases) {
        SCOPED_TRACE(run.what);
        setWallClock(run.start);
        panel().cmdPlay.click();
        const Nanos played = clock.now();
        auto at = [&](int second) { clock.advanceTo(played + seconds(second)); };
        for (int pass = 1; 4 * pass < run.endsAt; ++pass) {
            press({0});
            at(4 * pass);
            if (pass == 2) setWallClock(run.start + 8 + run.step);
            ASSERT_EQ(panel().lblQuestionNumber.caption(), "Q # " + std::to_string(pass + 1))
                << "at " << 4 * pass << " s";
        }
        at(run.endsAt - 1);
        EXPECT_TRUE(state().exerciseRunning);
        at(run.endsAt);
        EXPECT_FALSE(state().exerciseRunning);
        at(run.endsAt + 4);
    }
}

}  // namespace
}  // namespace velmora::testing

namespace velmora::testing {
namespace {

// A run's end is told once, whichever way it ends; a fresh start by PLAY, a
// drill and the window closing are not ends of a run.
TEST_F(RunTest, TheEndOfARunIsToldOnceByStopOrByTheTimer) {
    int ends = 0;
    int starts = 0;
    trainer.onRunEnded([&] { ++ends; });
    trainer.onRunStarted([&] {
        ++starts;
        EXPECT_FALSE(panel().lstPitch.enabled()) << "told once the settings are locked";
    });
    checkOnly({0});
    panel().cmdPlay.click();
    panel().cmdPlay.click();
    EXPECT_EQ(ends, 0) << "PLAY during a run starts afresh";
    panel().cmdPlayStop.click();
    finishPlayback();
    EXPECT_EQ(ends, 1) << "STOP";

    panel().vsbAlottedTimeForExercise.setValue(120);
    panel().cmdPlay.click();
    clock.advanceBy(Ms(121'000));
    finishPlayback();
    ASSERT_FALSE(state().exerciseRunning);
    EXPECT_EQ(ends, 2) << "the practice time used up";

    panel().pic_Repeat_1_Note.click();
    finishPlayback();
    ASSERT_TRUE(state().repeatActive);
    panel().cmdPlayStop.click();
    finishPlayback();
    EXPECT_EQ(ends, 2) << "a drill is not a run";

    panel().cmdPlay.click();
    trainer.Form_Unload();
    EXPECT_EQ(ends, 2) << "closing the window";
    EXPECT_EQ(starts, 4) << "every PLAY of a run";
}

}  // namespace
}  // namespace velmora::testing
