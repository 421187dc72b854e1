// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "scoring/response_log.h"

#include <gtest/gtest.h>

#include "app/run_fixture.h"

namespace velmora::testing {
namespace {

// Rounding up, a whole number and a dropped zero show in the statistics lines below.
TEST(Percentage, RoundsHalfToEvenAndDropsTrailingZeros) {
    EXPECT_EQ(FormatPercentage(1, 0), "100");
    EXPECT_EQ(FormatPercentage(1, 31), "3.12");
    EXPECT_EQ(FormatPercentage(6, 1), "85.71");
    EXPECT_EQ(FormatPercentage(1, 2), "33.33");
    EXPECT_EQ(FormatPercentage(2, 3, ','), "40");
    EXPECT_EQ(FormatPercentage(1, 7, ','), "12,5");
    // Counts whose sum is no int.
    EXPECT_EQ(FormatPercentage(2'000'000'000, 2'000'000'000), "50");
}

// A chord with and without its octaves is in the table rows below.
TEST(RecordedQuestion, ExcludingTheOctaveDropsOnlyTheNumbers) {
    EXPECT_EQ(RecordedQuestion("B#-1-C#10", true), "B#-C#");
    EXPECT_EQ(RecordedQuestion("F#", true), "F#");
}

class StatisticsTest : public RunTest {
protected:
    // Gives verdicts: 'C' correct, 'W' wrong, each on a one-note question.
    void verdicts(const std::string& sequence) {
        for (char verdict : sequence) {
            pose({60});
            press({verdict == 'C' ? 0 : 4});
        }
    }
};

TEST_F(StatisticsTest, FourLinesAfterEachSequence) {
    checkOnly({0, 4, 7});
    struct Case {
        std::string sequence;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        // The percentage's rounding is Percentage's own test.
        {"CWC", {"Right: 2", "Wrong: 1", "Percentage: 66.67%", "Streak: 1"}},
        {"W", {"Right: 0", "Wrong: 1", "Percentage: 0%", "Streak: 0"}},
        {"CWWWWWWW", {"Right: 1", "Wrong: 7", "Percentage: 12.5%", "Streak: 0"}},
        // A long run keeps every record, in order (checked below).
        {std::string(3000, 'C') + "W" + std::string(5, 'C'),
         {"Right: 3005", "Wrong: 1", "Percentage: 99.97%", "Streak: 5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sequence.size());
        panel().cmdPlay.click();
        verdicts(c.sequence);
        EXPECT_EQ(stats(), c.lines);
        EXPECT_EQ(panel().ListView1.rows().size(), c.sequence.size());
        EXPECT_EQ(panel().lstResponses.listIndex(), static_cast<int>(c.sequence.size()) - 1);
        EXPECT_EQ(panel().ListView1.selectedRow(), static_cast<int>(c.sequence.size()) - 1);
        panel().cmdPlayStop.click();
    }
    EXPECT_EQ(panel().ListView1.rows()[2999][0], "#3000");
    EXPECT_EQ(panel().lstResponses.items().back(), "#3006 = C4 = C = Correct");
}

TEST_F(StatisticsTest, RecordsAndTableRowsMatchTheLog) {
    checkOnly({0, 4, 7});
    panel().cmdPlay.click();
    pose({60, 64, 67});
    press({0, 4, 7});
    EXPECT_EQ(panel().lstResponses.items(),
              std::vector<std::string>{"#1 = C4-E4-G4 = C-E-G = Correct"});
    EXPECT_EQ(panel().ListView1.rows(),
              (std::vector<ListView::Row>{{"#1", "C4-E4-G4", "C-E-G", "Correct"}}));

    panel().cmdPlayStop.click();
    panel().chkExcludeExactOctave.setChecked(true);
    panel().cmdPlay.click();
    pose({60, 64, 67});
    press({0, 4, 7});
    EXPECT_EQ(panel().ListView1.rows().front(), (ListView::Row{"#1", "C-E-G", "C-E-G", "Correct"}));
}

// The counts are 16-bit. The run that fills the log ends there, as when its
// time is up: nothing wraps round, and a new run starts clean.
TEST_F(StatisticsTest, AFullLogEndsTheRunBeforeAnyCountWraps) {
    panel().vsbAlottedTimeForExercise.setValue(3599);
    panel().vsbTempo.setValue(240);
    panel().lstDuration.setListIndex(4);  // 62.5 ms a pass: the whole log in 35 minutes
    panel().chkShepard.setChecked(true);
    panel().cmdPlay.click();
    for (int answer = 1; answer <= kMaxRecords + 2; ++answer) {
        const int asked = state().shepardPitchClass;
        press({answer % 3 == 0 ? 9 - asked : asked});  // Eb and F# are checked: 3 + 6 = 9
        clock.advanceBy(Ms(62.5));
        if (answer < kMaxRecords) {
            ASSERT_TRUE(state().exerciseRunning) << answer;
        }
    }
    EXPECT_FALSE(state().exerciseRunning);
    EXPECT_EQ(state().responseLogLast, kMaxRecords - 1);
    EXPECT_EQ(state().rightCount, 21845);
    EXPECT_EQ(state().wrongCount, 10922);
    EXPECT_EQ(state().questionNumber, kMaxRecords);
    EXPECT_EQ(stats(), (std::vector<std::string>{"Right: 21845", "Wrong: 10922",
                                                 "Percentage: 66.67%", "Streak: 1"}));
    EXPECT_EQ(panel().lstResponses.items().back().rfind("#32767 = ", 0), 0u);
    EXPECT_TRUE(panel().lstPitch.enabled());
    EXPECT_TRUE(device.sounding.empty());
    EXPECT_EQ(clock.pendingTimers(), 0u);

    panel().cmdPlay.click();
    EXPECT_TRUE(state().exerciseRunning);
    EXPECT_EQ(state().responseLogLast, -1);
    press({state().shepardPitchClass});
    EXPECT_EQ(stats()[0], "Right: 1");
}

// Presses past the end of a chord answer only make it longer and wrong, however many.
TEST_F(StatisticsTest, EndlessPressesPastAChordStayOneWrongAttempt) {
    checkOnly({0, 4, 7});
    panel().cmdPlay.click();
    pose({60, 64});
    press({0, 4});
    for (int i = 0; i < 32768; ++i) press({7});
    EXPECT_EQ(panel().lblResult.caption(), "Incorrect");
    EXPECT_EQ(stats(),
              (std::vector<std::string>{"Right: 0", "Wrong: 1", "Percentage: 0%", "Streak: 0"}));
    EXPECT_EQ(panel().ListView1.rows().size(), 1u);
}

}  // namespace
}  // namespace velmora::testing
