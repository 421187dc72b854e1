// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "questions/question_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>

#include "app/trainer_fixture.h"

namespace velmora::testing {
namespace {

class QuestionGeneratorTest : public TrainerTest {
protected:
    void chordTones(int minimum, int maximum) {
        panel().vsbMaximum.setValue(maximum);
        panel().vsbMinimum.setValue(minimum);
        panel().vsbMaximum.setValue(maximum);
    }
    bool next() { return trainer.questionGenerator().NewQuestion(); }

    // Pearson's statistic of observed counts against expected ones.
    static double ChiSquare(std::map<int, int> observed, const std::map<int, double>& expected) {
        double sum = 0;
        for (const auto& [value, e] : expected) sum += std::pow(observed[value] - e, 2) / e;
        return sum;
    }

    // Chance that n draws with replacement from a pool of `pool` notes give d
    // distinct notes: S(n, d) * pool! / (pool - d)! / pool^n.
    static double DistinctChance(int n, int d, int pool) {
        std::vector<std::vector<double>> stirling(n + 1, std::vector<double>(n + 1, 0.0));
        stirling[0][0] = 1;
        for (int i = 1; i <= n; ++i) {
            for (int k = 1; k <= i; ++k) {
                stirling[i][k] = k * stirling[i - 1][k] + stirling[i - 1][k - 1];
            }
        }
        double falling = 1;
        for (int k = 0; k < d; ++k) falling *= pool - k;
        return stirling[n][d] * falling / std::pow(pool, n);
    }
};

TEST(RemoveDuplicates, KeepsTheFirstOfEach) {
    EXPECT_EQ(RemoveDuplicates({52, 48, 52, 60, 48}), (std::vector<Note>{52, 48, 60}));
    EXPECT_EQ(RemoveDuplicates({}), std::vector<Note>{});
}

TEST_F(QuestionGeneratorTest, SingleNotesComeUniformlyFromTheWholePool) {
    // The start-up pool: 8 notes, chord tones 1..1.
    std::map<int, int> counts;
    const int draws = 8000;
    for (int i = 0; i < draws; ++i) {
        ASSERT_TRUE(next());
        ASSERT_EQ(state().questionNotes.size(), 1u);
        ++counts[state().questionNotes[0]];
    }
    EXPECT_EQ(counts.size(), 8u);
    // 7 degrees of freedom: 24.3 is exceeded by chance once in a thousand.
    std::map<int, double> expected;
    for (Note note : state().candidateNotes) expected[note] = draws / 8.0;
    EXPECT_LT(ChiSquare(counts, expected), 24.3);
    EXPECT_EQ(panel().lblResult.caption(), kSingleNotePrompt);
    EXPECT_TRUE(std::regex_match(state().questionText, std::regex("(Eb|F#)[2-5]")));
}

TEST_F(QuestionGeneratorTest, ChordSizesAreUniformAndNotesDistinctAscending) {
    checkOnly({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    chordTones(1, 5);
    std::map<int, int> sizes;
    const int draws = 5000;
    for (int i = 0; i < draws; ++i) {
        ASSERT_TRUE(next());
        const auto& notes = state().questionNotes;
        ++sizes[static_cast<int>(notes.size())];
        ASSERT_TRUE(std::is_sorted(notes.begin(), notes.end()));
        ASSERT_EQ(RemoveDuplicates(notes), notes);
        ASSERT_EQ(std::count(state().questionText.begin(), state().questionText.end(), '-') + 1,
                  std::ssize(notes))
            << "each note named";
    }
    // The drawn size is uniform over 1..5; a drawn note may repeat and is
    // then dropped, so compare with the exact chances of each distinct count.
    // 4 degrees of freedom: 18.5 is exceeded by chance once in a thousand.
    std::map<int, double> expected;
    for (int d = 1; d <= 5; ++d) {
        for (int n = d; n <= 5; ++n) expected[d] += DistinctChance(n, d, 49) / 5 * draws;
    }
    EXPECT_LT(ChiSquare(sizes, expected), 18.5);
}

// A two-note pool gives the same note twice in a row one time in four, so
// one chord in 1024 falls short after ten attempts.
TEST_F(QuestionGeneratorTest, AChordIsNamedLowestFirstPromptedAsOneAndMayFallShort) {
    checkOnly({0});
    setRange(48, 60);
    chordTones(2, 2);
    int full = 0;
    int short_ = 0;
    for (int i = 0; i < 4000; ++i) {
        ASSERT_TRUE(next());
        if (state().questionNotes.size() == 2) {
            ++full;
            EXPECT_EQ(state().questionText, "C3-C4");
            EXPECT_EQ(panel().lblResult.caption(), kChordPrompt);
        } else {
            ++short_;
            EXPECT_EQ(panel().lblResult.caption(), kSingleNotePrompt);
        }
    }
    EXPECT_GT(full, 3900);
    EXPECT_GT(short_, 0) << "this seed should reach the case of ten short attempts";
}

TEST_F(QuestionGeneratorTest, OneNotePoolAlwaysGivesThatNoteUnderTheNextNumber) {
    checkOnly({9});
    setRange(60, 71);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(next());
        EXPECT_EQ(state().questionNotes, std::vector<Note>{69});
        EXPECT_EQ(state().questionText, "A4");
        EXPECT_EQ(panel().lblQuestionNumber.caption(), "Q # " + std::to_string(i + 1));
    }
}

TEST_F(QuestionGeneratorTest, ShepardQuestionSoundsThePitchClassInEveryOctave) {
    checkOnly({9});
    panel().chkShepard.setChecked(true);
    ASSERT_TRUE(next());
    EXPECT_EQ(state().questionNotes, (std::vector<Note>{45, 57, 69, 81}));
    EXPECT_EQ(state().questionText, "A");
    EXPECT_EQ(panel().lblResult.caption(), kSingleNotePrompt);

    // The checked items are read afresh at every question.
    panel().lstPitch.setSelected(9, false);
    panel().lstPitch.setSelected(6, true);
    ASSERT_TRUE(next());
    EXPECT_EQ(state().questionText, "F#");
    EXPECT_EQ(state().questionNotes.front(), 42);
}

TEST_F(QuestionGeneratorTest, NothingIsDrawnFromAnEmptyPool) {
    ASSERT_TRUE(next());
    const auto before = state().questionNotes;
    checkOnly({});
    EXPECT_FALSE(next());
    EXPECT_EQ(state().questionNotes, before);
    EXPECT_EQ(state().questionNumber, 1);

    panel().chkShepard.setChecked(true);
    EXPECT_FALSE(next());
    checkOnly({0});
    setRange(61, 70);
    EXPECT_FALSE(next()) << "no C in the range for a Shepard question";
}

}  // namespace
}  // namespace velmora::testing
