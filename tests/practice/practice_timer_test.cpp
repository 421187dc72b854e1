// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "practice/practice_timer.h"

#include <gtest/gtest.h>

#include "app/trainer_fixture.h"

namespace velmora::testing {
namespace {

TEST(TimeTexts, DurationsAndClockTextsToSeconds) {
    // Halves go to the even neighbour.
    const std::pair<std::string, int> cases[] = {
        {"5 : 00.00", 300}, {"12 : 30.00", 750}, {"9:05:03", 32703}, {"12:00:00", 0},
        {"1:00:00", 3600},  {"11:59:59", 43199}, {"0 : 02.50", 2},   {"0 : 03.50", 4}};
    for (auto [text, seconds] : cases) EXPECT_EQ(TimeTextToSeconds(text), seconds) << text;
    for (std::string unreadable : {"100 : 00.00", "9:5:3", "", "abc", "5:00.00", "5 : 0.00"}) {
        EXPECT_EQ(TimeTextToSeconds(unreadable), 0) << unreadable;
    }

    std::string padded = " 5 : 00.00 ";
    EXPECT_EQ(TimeTextToSeconds(padded), 300);
    EXPECT_EQ(padded, "5 : 00.00") << "the caller's text is trimmed";
}

TEST(TimeTexts, FormattingMinutesAndSeconds) {
    const std::pair<int, std::string> cases[] = {
        {300, "5 : 00.00"},   {75, "1 : 15.00"}, {7, "0 : 07.00"},   {120, "2 : 00.00"},
        {3599, "59 : 59.00"}, {0, "0 : 00.00"},  {-1, "-1 : 59.00"}, {43199, "719 : 59.00"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatMinutesSeconds(seconds), text);
}

TEST(TimeTexts, ClockTimeIsTwelveHourWithoutMarker) {
    EXPECT_EQ(ClockTime({9, 5, 3}), "9:05:03");
    EXPECT_EQ(ClockTime({12, 40, 0}), "12:40:00");
    EXPECT_EQ(ClockTime({0, 0, 7}), "12:00:07");
    EXPECT_EQ(ClockTime({23, 59, 59}), "11:59:59");
}

TEST(TimeTexts, ElapsedCountsOnAcrossTwelveOClock) {
    EXPECT_EQ(ElapsedClockSeconds("11:59:30", "12:00:10"), 40);
    EXPECT_EQ(ElapsedClockSeconds("11:58:00", "12:03:00"), 300);
    EXPECT_EQ(ElapsedClockSeconds("9:00:00", "8:59:58"), 0) << "a clock set back a little";
    EXPECT_EQ(ElapsedClockSeconds("12:00:10", "11:59:30"), 0) << "set back across 12 o'clock";
    EXPECT_EQ(ElapsedClockSeconds("9:00:00", "9:00:00"), 0);
    EXPECT_EQ(ElapsedClockSeconds("11:30:00", "5:29:59"), 21599) << "forward, nearly a quarter day";
}

using PracticeTimerTest = TrainerTest;

TEST_F(PracticeTimerTest, AllottedTimeBarShowsItsValue) {
    panel().vsbAlottedTimeForExercise.setValue(4000);
    EXPECT_EQ(panel().lblPracticeTime.caption(), "59 : 59.00");
    panel().vsbAlottedTimeForExercise.setValue(0);
    EXPECT_EQ(panel().lblPracticeTime.caption(), "2 : 00.00");
}

// Also across noon and midnight, where the clock texts start over.
TEST_F(PracticeTimerTest, RunEndsAtTheFirstTickWithTheAllottedTimeUsed) {
    for (auto [hour, allotted, lastTick, used] : {std::tuple{9, 120, "1 : 59.00", "2 : 00.00"},
                                                  {11, 300, "4 : 59.00", "5 : 00.00"},
                                                  {23, 300, "4 : 59.00", "5 : 00.00"}}) {
        SCOPED_TRACE(hour);
        wallClock.setStart(hour, 58, 30);
        panel().vsbAlottedTimeForExercise.setValue(allotted);
        panel().cmdPlay.click();
        ASSERT_TRUE(state().exerciseRunning);
        clock.advanceBy(Ms(allotted * 1000 - 1000));
        EXPECT_TRUE(state().exerciseRunning);
        EXPECT_EQ(panel().lblTimeElapsed.caption(), lastTick);
        clock.advanceBy(Ms(1000));
        EXPECT_FALSE(state().exerciseRunning);
        EXPECT_FALSE(panel().Timer1.enabled());
        EXPECT_EQ(panel().lblTimeElapsed.caption(), used);
    }
}

// A stalled event loop catches up at once: the run ends at the first tick,
// and the question due long ago is released.
TEST_F(PracticeTimerTest, ClockJumpPastTheAllottedTimeEndsTheRunAtTheNextPass) {
    panel().cmdPlay.click();
    clock.jumpTo(clock.now() + Ms(3'600'000));
    clock.runDue();
    EXPECT_FALSE(state().exerciseRunning);
    EXPECT_EQ(panel().lblTimeElapsed.caption(), "60 : 00.00");
    EXPECT_TRUE(device.sounding.empty());
    EXPECT_TRUE(panel().lstPitch.enabled());
    EXPECT_EQ(clock.pendingTimers(), 0u);
}

TEST_F(PracticeTimerTest, StopFreezesTheElapsedTimeAndPlayStartsFromZero) {
    panel().cmdPlay.click();
    clock.advanceBy(Ms(42000));
    panel().cmdPlayStop.click();
    clock.advanceBy(Ms(10000));
    EXPECT_EQ(panel().lblTimeElapsed.caption(), "0 : 42.00");
    panel().cmdPlay.click();
    clock.advanceBy(Ms(1000));
    EXPECT_EQ(panel().lblTimeElapsed.caption(), "0 : 01.00");
}

}  // namespace
}  // namespace velmora::testing
