// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "coach/mastery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "coach/learner.h"
#include "model/exercise_table.h"
#include "progress/progress_statistics.h"

// In a namespace of their own: test files are compiled several to a unit.
namespace velmora::testing::coach {
namespace {

struct Attempt {
    bool right;
    int milliseconds;
    int day;
};
using Window = std::vector<Attempt>;

int Right(const Window& window) {
    return static_cast<int>(
        std::count_if(window.begin(), window.end(), [](auto a) { return a.right; }));
}
int Median(const Window& window) {
    std::vector<int> times;
    for (const Attempt& a : window) {
        if (a.milliseconds >= 0) times.push_back(a.milliseconds);
    }
    std::sort(times.begin(), times.end());
    return times.empty() ? -1 : times[(times.size() - 1) / 2];
}
bool Holds(const Window& window) {
    return Right(window) >= 18 && Median(window) >= 0 && Median(window) <= 2000;
}

// State, attempts, right, median, days, holds now, right answers to the mark.
using Standing = std::array<int, 7>;
Standing StandingOf(const PitchMastery& m) {
    return {static_cast<int>(m.state), m.attempts, m.right,
            m.medianMilliseconds,      m.days,     m.holdsNow,
            m.rightAnswersToMark()};
}

// Where each pitch class stands, worked out from scratch over all the answers.
std::array<Standing, kPitchClasses> Oracle(const std::vector<JournalEntry>& entries) {
    std::array<Window, kPitchClasses> attempts;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const JournalEntry& e = entries[i];
        const bool askedAgain = i > 0 && !entries[i - 1].correct &&
                                entries[i - 1].session == e.session &&
                                entries[i - 1].run == e.run && entries[i - 1].notes == e.notes;
        if (askedAgain || e.notes.size() != 1 || e.shepard) continue;
        attempts[e.notes[0] % 12].push_back(
            {e.correct, e.responseMilliseconds, LocalDay(e.utcMilliseconds, e.utcOffsetMinutes)});
    }
    std::array<Standing, kPitchClasses> standings;
    for (int pc = 0; pc < kPitchClasses; ++pc) {
        const Window& all = attempts[pc];
        const auto upTo = [&](std::size_t end) {
            return Window(all.begin() + static_cast<long>(end - std::min<std::size_t>(end, 20)),
                          all.begin() + static_cast<long>(end));
        };
        int closed = 0;
        bool mastered = false;
        for (std::size_t j = 0; j < all.size(); ++j) {
            if (j > 0 && all[j].day != all[j - 1].day && Holds(upTo(j))) ++closed;
            if (Holds(upTo(j + 1)) && closed + 1 >= 2) mastered = true;
            if (mastered && Right(upTo(j + 1)) < 16) {
                mastered = false;
                closed = 0;
            }
        }
        Window window = upTo(all.size());
        const MasteryState state = all.empty() ? MasteryState::New
                                   : mastered  ? MasteryState::Mastered
                                               : MasteryState::Learning;
        const bool holds = Holds(window);
        standings[pc] = {static_cast<int>(state),
                         static_cast<int>(window.size()),
                         Right(window),
                         Median(window),
                         closed + holds,
                         holds,
                         0};
        for (; Right(window) < 18; ++standings[pc][6]) {
            window.push_back({true, 0, 0});
            if (window.size() > 20) window.erase(window.begin());
        }
    }
    return standings;
}

// A learner over several days in several time zones, answering mostly single
// notes of a few pitch classes, asked again after a wrong answer.
TEST(Mastery, AgreesWithTheRuleWorkedOutFromScratchOverRandomJournals) {
    int gained = 0, lost = 0;
    for (std::uint32_t seed = 1; seed <= 120; ++seed) {
        std::mt19937 random(seed);
        const auto chance = [&](double p) {
            return std::uniform_real_distribution<>()(random) < p;
        };
        const auto below = [&](int n) { return static_cast<int>(random() % n); };
        MasteryTracker tracker;
        std::vector<JournalEntry> entries;
        std::array<Standing, kPitchClasses> before{};
        std::int64_t utc = 20'000 * kDay + below(24) * 60 * kMinute;
        int offset = 0, run = 1, session = 1;
        const int pitchClasses = 2 + below(3), slowest = 1800 + below(800);
        double skill = 0.9;
        for (int i = 0; i < 240; ++i) {
            utc += 1000 + below(8000);
            if (chance(0.03)) {  // another start of the program, later
                utc += kMinute * below(36 * 60);
                offset = std::array{-480, -300, 0, 60, 330, 600}[below(6)];
                ++session;
                skill = 0.7 + 0.3 * std::uniform_real_distribution<>()(random);
            } else if (chance(0.05)) {
                ++run;
            }
            std::vector<int> notes = {12 * (3 + below(4)) + below(pitchClasses)};
            if (chance(0.1)) notes.push_back(notes[0] + 4 + below(3));
            if (!entries.empty() && !entries.back().correct && chance(0.8))
                notes = entries.back().notes;
            JournalEntry entry =
                Answer(notes, chance(skill), chance(0.1) ? -1 : 50 * below(slowest / 25), utc,
                       offset, run, session);
            entry.shepard = notes.size() == 1 && chance(0.05);
            if (chance(0.06)) {  // the last answer graded again, maybe as another question
                if (!entries.empty() && chance(0.5)) entry = entries.back();
                entry.correct = entry.correct && chance(0.3);
                tracker.replaceLast(entry);
                if (entries.empty()) entries.emplace_back();
                entries.back() = entry;
            } else {
                tracker.add(entry);
                entries.push_back(entry);
            }
            const auto expected = Oracle(entries);
            for (int pc = 0; pc < kPitchClasses; ++pc) {
                ASSERT_EQ(StandingOf(tracker.pitchClass(pc)), expected[pc])
                    << "seed " << seed << ", answer " << i << ", pitch class " << pc;
                gained += before[pc][0] != 2 && expected[pc][0] == 2;  // Mastered
                lost += before[pc][0] == 2 && expected[pc][0] != 2;
            }
            before = expected;
            std::array<int, 2> current = {-1, -1};  // the first exercise not mastered
            for (int e = static_cast<int>(kExercises.size()) - 1; e >= 0; --e) {
                bool all = true;
                for (int pc = 0; pc < kPitchClasses; ++pc) {
                    all = all && (kExercises[e].mask[pc] == '0' || expected[pc][0] == 2);
                }
                ASSERT_EQ(tracker.exerciseMastered(e), all)
                    << "seed " << seed << ", answer " << i << ", exercise " << e;
                if (!all) current[e / 11] = e;
            }
            ASSERT_EQ(tracker.currentExercise(ExerciseSeries::Diminished).value_or(-1), current[0])
                << "seed " << seed << ", answer " << i;
            ASSERT_EQ(tracker.currentExercise(ExerciseSeries::Diatonic).value_or(-1), current[1])
                << "seed " << seed << ", answer " << i;
        }
    }
    // The journals reach both ends of the rule.
    EXPECT_GT(gained, 50);
    EXPECT_GT(lost, 5);
}

constexpr int kLearning = 1, kMastered = 2;

TEST(Mastery, EighteenOfTwentyRightAndAtMostTwoSecondsHoldTheMark) {
    Learner nearly, lateMisses;
    nearly.answer(0, 3, false);
    nearly.answer(0, 17, true);
    EXPECT_EQ(StandingOf(nearly.of(0)), (Standing{kLearning, 20, 17, 1000, 0, 0, 1}));
    lateMisses.answer(0, 17, true);
    lateMisses.answer(0, 3, false);
    EXPECT_EQ(lateMisses.of(0).rightAnswersToMark(), 18) << "the misses leave last";
    nearly.answer(0, 1, true);
    EXPECT_EQ(StandingOf(nearly.of(0)), (Standing{kLearning, 20, 18, 1000, 1, 1, 0}));

    for (int middle : {2000, 2001, -1}) {
        Learner learner;  // the lower middle of twenty times is the tenth
        learner.answer(4, 9, true, middle < 0 ? -1 : 1000);
        learner.answer(4, 1, true, middle);
        learner.answer(4, 10, true, middle < 0 ? -1 : 3000);
        const bool holds = middle == 2000;
        EXPECT_EQ(StandingOf(learner.of(4)),
                  (Standing{kLearning, 20, 20, middle, holds, holds, 0}));
    }
}

TEST(Mastery, CountsADayAsTheMarkStoodAtItsEndOnTwoDays) {
    Learner learner;
    learner.answer(7, 20, true);
    learner.answer(7, 11, true, 3000);  // held, then too slow by the evening
    learner.nextDay();
    learner.answer(7, 20, true);
    EXPECT_EQ(StandingOf(learner.of(7)), (Standing{kLearning, 20, 20, 1000, 1, 1, 0}));
    learner.nextDay();
    learner.answer(7, 1, true);
    EXPECT_EQ(StandingOf(learner.of(7)), (Standing{kMastered, 20, 20, 1000, 2, 1, 0}));

    // 16 right of 20 keep it, 15 lose it, and it is earned again on two days.
    learner.answer(7, 4, false);
    EXPECT_EQ(learner.of(7).state, MasteryState::Mastered);
    learner.answer(7, 1, false);
    EXPECT_EQ(StandingOf(learner.of(7)), (Standing{kLearning, 20, 15, 1000, 0, 0, 18}));
    learner.answer(7, 20, true);
    EXPECT_EQ(learner.of(7).state, MasteryState::Learning);
    learner.nextDay();
    learner.answer(7, 1, true);
    EXPECT_EQ(learner.of(7).state, MasteryState::Mastered);

    for (int offset : {0, 60}) {
        Learner late;
        late.offset = offset;
        late.utc = 20'000 * kDay + 22 * 60 * kMinute;  // 22:00 UTC
        late.answer(2, 20, true);
        late.utc += 70 * kMinute;  // 23:30 UTC: after midnight at UTC+1
        late.answer(2, 1, true);
        EXPECT_EQ(late.of(2).state == MasteryState::Mastered, offset == 60) << offset;
    }
}

TEST(Mastery, AQuestionAskedAgainAfterAWrongAnswerIsNoFirstAttempt) {
    MasteryTracker tracker;
    std::int64_t utc = 20'000 * kDay;
    const auto add = [&](std::vector<int> notes, bool right, int run = 1,
                         std::int64_t session = 1) {
        tracker.add(Answer(std::move(notes), right, 1000, utc += kMinute, 0, run, session));
    };
    add({60}, false);
    add({60}, false);
    add({60}, true);
    EXPECT_EQ(tracker.pitchClass(0).attempts, 1);
    add({60}, false);  // after a right answer: a new question
    add({60, 64}, false);
    add({60}, true);  // not the chord asked again
    add({60}, false);
    add({60}, false, 2);    // in another run
    add({60}, true, 2, 2);  // after another start of the program
    EXPECT_EQ(tracker.pitchClass(0).attempts, 6);
    EXPECT_EQ(tracker.pitchClass(0).right, 2);
    EXPECT_EQ(tracker.pitchClass(4).state, MasteryState::New) << "chords pass by";

    // Graded again: as if the wrong answer had come instead, so the next is asked again.
    tracker.replaceLast(Answer({60}, false, 1000, utc, 0, 2, 2));
    EXPECT_EQ(tracker.pitchClass(0).right, 1);
    add({60}, true, 2, 2);
    EXPECT_EQ(tracker.pitchClass(0).attempts, 6);
    tracker.replaceLast(Answer({62}, true, 1000, utc, 0, 2, 2));
    EXPECT_EQ(tracker.pitchClass(2).attempts, 1);
    EXPECT_EQ(tracker.pitchClass(0).right, 1);

    MasteryTracker fresh;
    fresh.replaceLast(Answer({61}, true, 1000, utc));
    EXPECT_EQ(fresh.pitchClass(1).attempts, 1) << "nothing to replace: added";
}

}  // namespace
}  // namespace velmora::testing::coach
