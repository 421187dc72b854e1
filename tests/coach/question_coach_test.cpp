// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "coach/question_coach.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>
#include <vector>

#include "app/run_fixture.h"
#include "coach/learner.h"
#include "questions/question_generator.h"

namespace velmora::testing::coached_questions {
namespace {

class CoachedQuestionsTest : public RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        // The ear is not cleared: these tests time the passes by the note alone.
        trainer.setCoachOptions({.choosesQuestions = true, .clearsEar = false});
    }
    bool next() { return trainer.questionGenerator().NewQuestion(); }
    int askedClass() { return PitchClassOf(state().questionNotes.at(0)); }
    std::vector<int> velocities() {
        std::vector<int> found;
        for (auto message : device.messages) {
            if ((StatusOf(message) & 0xF0) == kNoteOnStatus) found.push_back(Data2Of(message));
        }
        device.messages.clear();
        return found;
    }
};

TEST_F(CoachedQuestionsTest, ClassesFollowTheErrorRates) {
    // Wrong first attempts out of 20, per ticked class.
    const std::array<int, 4> classes = {0, 3, 6, 9};
    const std::array<int, 4> wrong = {16, 8, 2, 0};
    coach::Learner learner;
    for (int i = 0; i < 4; ++i) {
        learner.answer(classes[i], wrong[i], false);
        learner.answer(classes[i], 20 - wrong[i], true);
    }
    trainer.setMastery(&learner.tracker);
    checkOnly({0, 3, 6, 9});
    setRange(48, 83);

    // Brute force: the chain of classes asked, part of the chance even and
    // part by the floored, prior-leaning error rate. A class drawn again
    // right after itself is held back: another is drawn among the rest, and
    // the held one is asked next.
    using Rule = QuestionCoachRule;
    std::array<double, 4> weight{};
    for (int i = 0; i < 4; ++i) {
        weight[i] =
            std::max(Rule::kErrorFloor, (wrong[i] + Rule::kPriorErrorRate * Rule::kPriorAnswers) /
                                            (20 + Rule::kPriorAnswers));
    }
    const double total = weight[0] + weight[1] + weight[2] + weight[3];
    const auto chance = [&](int to, int among, double weights) {
        return Rule::kEvenShare / among + (1 - Rule::kEvenShare) * weight[to] / weights;
    };
    std::array<double, 4> free = {0.25, 0.25, 0.25, 0.25};  // last asked, nothing held
    std::array<std::array<double, 4>, 4> held{};            // [last asked][held back]
    for (int step = 0; step < 300; ++step) {
        std::array<double, 4> freeAfter{};
        std::array<std::array<double, 4>, 4> heldAfter{};
        for (int last = 0; last < 4; ++last) {
            for (int to = 0; to < 4; ++to) {
                freeAfter[last] += held[to][last];
                if (to != last) {
                    freeAfter[to] += free[last] * chance(to, 4, total);
                    heldAfter[to][last] +=
                        free[last] * chance(last, 4, total) * chance(to, 3, total - weight[last]);
                }
            }
        }
        free = freeAfter;
        held = heldAfter;
    }
    std::array<double, 4> expected{};
    for (int i = 0; i < 4; ++i) {
        expected[i] = free[i] + held[i][0] + held[i][1] + held[i][2] + held[i][3];
    }

    std::array<int, 12> counts{};
    const int draws = 20000;
    for (int i = 0; i < draws; ++i) {
        ASSERT_TRUE(next());
        ++counts[askedClass()];
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(counts[classes[i]] / double(draws), expected[i], 0.015) << "class " << i;
    }
    EXPECT_TRUE(counts[0] > counts[3] && counts[3] > counts[6] && counts[6] > counts[9]);
}

TEST_F(CoachedQuestionsTest, NoNoteCanBeNamedFromTheLastWhereTheRangeAllows) {
    struct Case {
        std::vector<int> ticked;
        int low, high;
    };
    for (const Case& c : {Case{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 36, 84},
                          Case{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 48, 66},
                          Case{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 60, 71},
                          Case{{0, 1}, 48, 83}, Case{{5}, 48, 83}}) {
        SCOPED_TRACE(::testing::Message()
                     << c.low << ".." << c.high << ", " << c.ticked.size() << " ticked");
        for (int i = 0; i < kPitchClasses; ++i) {
            panel().lstPitch.setSelected(i, std::count(c.ticked.begin(), c.ticked.end(), i) > 0);
        }
        setRange(c.low, c.high);
        ASSERT_TRUE(next());
        for (int i = 0; i < 2000; ++i) {
            const Note last = state().questionNotes.at(0);
            ASSERT_TRUE(next());
            ASSERT_TRUE(state().questionChosenByCoach);
            const Note note = state().questionNotes.at(0);
            const int steps = PitchClassDistance(PitchClassOf(note), PitchClassOf(last));
            // Same class only when nothing else is ticked; a neighbour only
            // when nothing farther is.
            ASSERT_GE(steps, std::min<int>(2, static_cast<int>(c.ticked.size()) - 1));
            // An octave away, or the farthest note the range has of that class.
            int farthest = 0;
            for (Note other : state().candidateNotes) {
                if (PitchClassOf(other) == PitchClassOf(note)) {
                    farthest = std::max(farthest, std::abs(other - last));
                }
            }
            ASSERT_GE(std::abs(note - last), std::min(12, farthest)) << last << " then " << note;
        }
    }

    // Shepard tones keep the class rule.
    checkOnly({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    panel().chkShepard.setChecked(true);
    ASSERT_TRUE(next());
    for (int i = 0; i < 500; ++i) {
        const int last = state().shepardPitchClass;
        ASSERT_TRUE(next());
        ASSERT_GE(PitchClassDistance(state().shepardPitchClass, last), 2);
    }
}

TEST_F(CoachedQuestionsTest, MissesComeBackAsTheFourthAndTenthNewQuestion) {
    checkOnly({0, 2, 4, 5, 7, 9, 11});
    setRange(48, 83);
    panel().vsbAlottedTimeForExercise.setValue(3600);  // an hour, for 300 questions
    panel().cmdPlay.click();
    std::vector<int> asked;  // the class of each new question
    std::vector<int> misses;
    for (int q = 0; q < 300; ++q) {
        const int pitchClass = askedClass();
        asked.push_back(pitchClass);
        if (q < 270 && q % 30 == 0) {
            press({pitchClass == 0 ? 2 : 0});  // wrong
        } else if (q < 270 && q % 30 == 15) {
            press({pitchClass, pitchClass});  // right, then too long: wrong after all
        }
        if (panel().lblResult.caption() == "Incorrect") {
            misses.push_back(q);
            finishPlayback();  // the same question again
            ASSERT_EQ(askedClass(), pitchClass);
        }
        press({pitchClass});
        finishPlayback();
    }
    ASSERT_EQ(misses.size(), 18u);
    for (int miss : misses) {
        for (int after : {4, 10}) {
            // Put off only while the class would follow its own neighbour.
            int due = miss + after;
            while (PitchClassDistance(asked[due - 1], asked[miss]) < 2) ++due;
            EXPECT_EQ(asked[due], asked[miss]) << "missed at " << miss << ", +" << after;
        }
    }
}

TEST_F(CoachedQuestionsTest, WithTheCoachOffQuestionsAreDrawnAsAlways) {
    coach::Learner learner;
    learner.answer(3, 10, false);
    trainer.setMastery(&learner.tracker);
    trainer.setCoachOptions({});

    // The same seed, on a generator that knows no coach.
    TrainerRig plain({.seed = 20261206});
    plain.trainer.Form_Load();
    PitchSelection selection(plain.trainer.panel(), plain.trainer.state(),
                             plain.trainer.spelling());
    QuestionGenerator bare(plain.trainer.panel(), plain.trainer.state(), selection,
                           plain.trainer.spelling(), plain.random);

    const auto both = [&](auto change) {
        change(trainer.panel());
        change(plain.trainer.panel());
    };
    both([](Panel& p) {
        for (int i = 0; i < kPitchClasses; ++i) p.lstPitch.setSelected(i, i % 2 == 0 || i == 3);
    });
    for (int round = 0; round < 3; ++round) {
        if (round == 1) {
            both([](Panel& p) {
                p.vsbMaximum.setValue(4);
                p.vsbMinimum.setValue(1);
            });
        }
        if (round == 2) both([](Panel& p) { p.chkShepard.setChecked(true); });
        for (int i = 0; i < 300; ++i) {
            ASSERT_TRUE(next());
            ASSERT_TRUE(bare.NewQuestion());
            ASSERT_EQ(state().questionNotes, plain.trainer.state().questionNotes) << i;
            ASSERT_FALSE(state().questionChosenByCoach);
        }
    }
}

TEST_F(CoachedQuestionsTest, LoudnessVariesOnlyForTheCoachsQuestions) {
    setRange(48, 83);
    panel().cmdPlay.click();
    for (int q = 0; q < 60; ++q) {
        press({askedClass()});
        finishPlayback();
    }
    const std::vector<int> coachedLevels = velocities();
    EXPECT_EQ(std::set<int>(coachedLevels.begin(), coachedLevels.end()),
              (std::set<int>{85, 104, 127}));

    panel().cmdPlayStop.click();
    checkOnly({3});
    panel().pic_Repeat_1_Note.click();
    for (int i = 0; i < 8; ++i) finishPlayback();
    for (int velocity : velocities()) EXPECT_EQ(velocity, 127) << "drill";

    trainer.setCoachOptions({});
    panel().cmdPlayStop.click();
    panel().cmdPlay.click();
    for (int q = 0; q < 20; ++q) {
        press({askedClass()});
        finishPlayback();
    }
    for (int velocity : velocities()) EXPECT_EQ(velocity, 127) << "coach off";
}

}  // namespace
}  // namespace velmora::testing::coached_questions
