// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "coach/run_summary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "coach/learner.h"
#include "testing/trainer_rig.h"

// In a namespace of their own: test files are compiled several to a unit.
namespace velmora::testing::coach {
namespace {

// Keeps the run's answers as the journal gets them, with the streak the
// results table showed after each.
class RunJournal final : public Journal {
public:
    void record(const JournalEntry& entry) override {
        entries.push_back(entry);
        streaks.push_back(state->streak);
    }
    void replaceLast(const JournalEntry& entry) override {
        entries.back() = entry;
        streaks.back() = state->streak;
    }
    const TrainerState* state = nullptr;
    std::vector<JournalEntry> entries;
    std::vector<int> streaks;
};

// Random runs of random exercises, single notes, chords and Shepard tones,
// some answers too long, ended by STOP or by the practice time.
TEST(RunSummary, CountsAsTheResultsTableOverRandomRuns) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        std::mt19937 random(seed);
        RunJournal journal;
        TrainerRig rig({.seed = seed, .startTime = TimeOfDay{9, 0, 0}, .journal = &journal});
        const TrainerState& state = rig.trainer.state();
        journal.state = &state;
        rig.trainer.Form_Load();
        Panel& panel = rig.trainer.panel();
        for (int run = 0; run < 3; ++run) {
            panel.mnuSelectExercise[random() % 22].click();
            panel.chkShepard.setChecked(random() % 4 == 0);
            panel.vsbMaximum.setValue(1 + static_cast<int>(random() % 3));
            const bool byTimer = random() % 2 == 0;
            panel.vsbAlottedTimeForExercise.setValue(byTimer ? 20 + random() % 40 : 3600);
            journal.entries.clear();
            journal.streaks.clear();
            panel.cmdPlay.click();
            ASSERT_TRUE(state.exerciseRunning) << "seed " << seed;
            for (int step = 0; state.exerciseRunning && step < (byTimer ? 1000 : 60); ++step) {
                // Answered already: only time brings the next question.
                if (state.answerIndex != -1 || random() % 4 == 0) {
                    rig.clock.advanceBy(std::chrono::milliseconds(random() % 5000));
                    continue;
                }
                const bool shepard = panel.chkShepard.checked();
                const int notes = shepard ? 1 : static_cast<int>(state.questionNotes.size());
                std::vector<int> ticked;
                for (int pc = 0; pc < kPitchClasses; ++pc) {
                    if (panel.lstPitch.selected(pc)) ticked.push_back(pc);
                }
                // Mostly right; now and then one name too many.
                for (int i = 0; i < notes + (random() % 8 == 0); ++i) {
                    int pc = ticked[random() % ticked.size()];
                    if (i < notes && random() % 6 != 0) {
                        pc = shepard ? state.shepardPitchClass : state.questionNotes[i] % 12;
                    }
                    panel.cmdAnswerButton[pc].click();
                }
            }
            if (!byTimer) panel.cmdPlayStop.click();
            ASSERT_FALSE(state.exerciseRunning);

            const RunSummary summary = SummariseRun(journal.entries, {}, {});
            EXPECT_EQ(summary.answers, state.responseLogLast + 1) << "seed " << seed;
            EXPECT_EQ(summary.right, state.rightCount) << "seed " << seed;
            EXPECT_EQ(summary.wrong, state.wrongCount) << "seed " << seed;
            EXPECT_EQ(summary.bestStreak,
                      journal.streaks.empty()
                          ? 0
                          : *std::max_element(journal.streaks.begin(), journal.streaks.end()));
            // The trainer asks again after each wrong answer and only then.
            const bool endsWrong = !journal.entries.empty() && !journal.entries.back().correct;
            EXPECT_EQ(summary.firstAttempts, summary.answers - summary.wrong + endsWrong);
            rig.clock.advanceBy(std::chrono::seconds(5));
        }
    }
}

TEST(RunSummary, NamesTheCommonestConfusionAndTheMasteryThatMoved) {
    std::vector<JournalEntry> run = {
        Answer({61}, false, 900, 0),  // C# taken for D
        Answer({60, 64, 67}, false, 900, 0),
        Answer({60, 64, 67}, false, 900, 0),  // asked again
        Answer({62}, true, 900, 0),
        Answer({61}, false, 900, 0, 2),  // another run: C# for D again
    };
    run[1].answered = run[2].answered = {0, 5, 7};  // E taken for F, twice
    RunSummary summary = SummariseRun(run, {}, {});
    EXPECT_EQ(summary.firstAttempts, 4);
    EXPECT_EQ(summary.firstAttemptsRight, 1);
    EXPECT_EQ(summary.bestStreak, 1);
    EXPECT_EQ(std::vector({summary.confusedAsked, summary.confusedAnswered, summary.confusedTimes}),
              std::vector({1, 2, 2}))
        << "as often as E for F, and asked lower";

    PitchMasteries before{}, after{};
    after[3].state = MasteryState::Learning;
    before[5].state = MasteryState::Learning;
    after[5].state = MasteryState::Mastered;
    before[7].state = MasteryState::Mastered;
    after[7].state = MasteryState::Learning;
    before[9].state = after[9].state = MasteryState::Mastered;
    summary = SummariseRun(run, before, after);
    std::vector<std::string> words;
    for (const MasteryChange& change : summary.changes) {
        words.push_back(MasteryChangeWords(
            change, {"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"}));
    }
    EXPECT_EQ(words, (std::vector<std::string>{"Eb is now being learned", "F is now mastered",
                                               "G is no longer mastered"}));
}

}  // namespace
}  // namespace velmora::testing::coach
