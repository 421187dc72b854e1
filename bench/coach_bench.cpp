// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// The coach over a journal of 1 000 000 answers: following every pitch
// class's mastery through all of them, as the history is read at start-up,
// and the cost of one more answer with the marks and the next step after it.

#include <time.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "coach/mastery.h"
#include "coach/next_step.h"
#include "figures.h"
#include "model/exercise_table.h"
#include "progress/progress_statistics.h"

namespace {

using velmora::bench::Format;
using velmora::bench::MonotonicSeconds;
using velmora::bench::PrintFigure;

constexpr int kAnswers = 1'000'000;
constexpr int kDays = 60;
constexpr int kMoreAnswers = 1000;
constexpr std::int64_t kDay = 86'400'000;

// A learner working through the Diatonic series over 60 days, one start of
// the program a day and runs of 100 answers: mostly single notes, some
// chords and Shepard tones, each wrong answer followed by the same question.
// Right more often and quicker as the days go by.
std::vector<velmora::JournalEntry> LearnerJournal() {
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> uniform;
    std::vector<velmora::JournalEntry> journal;
    journal.reserve(kAnswers + kMoreAnswers);
    const int perDay = (kAnswers + kMoreAnswers) / kDays + 1;
    for (int i = 0; i < kAnswers + kMoreAnswers; ++i) {
        const int day = i / perDay;
        const double progress = static_cast<double>(day) / kDays;
        // Diatonic 1 to 11, one more pitch class every few days.
        const std::string_view mask = velmora::kExercises[11 + std::min(10, day / 5)].mask;
        std::vector<int> asked;
        for (int pc = 0; pc < velmora::kPitchClasses; ++pc) {
            if (mask[pc] == '1') asked.push_back(pc);
        }
        velmora::JournalEntry entry;
        entry.utcMilliseconds = 1'790'000'000'000 + day * kDay + (i % perDay) * 2'000LL;
        entry.utcOffsetMinutes = 60;
        entry.session = 1 + day;
        entry.run = 1 + i % perDay / 100;
        entry.question = 1 + i % 100;
        const velmora::JournalEntry* last = journal.empty() ? nullptr : &journal.back();
        if (last && !last->correct && last->session == entry.session && last->run == entry.run) {
            entry.notes = last->notes;
        } else {
            const int tones = uniform(random) < 0.1 ? 2 + static_cast<int>(random() % 2) : 1;
            for (int t = 0; t < tones; ++t) {
                entry.notes.push_back(48 + 12 * t + asked[random() % asked.size()]);
            }
            entry.shepard = tones == 1 && uniform(random) < 0.03;
        }
        entry.correct = uniform(random) < 0.6 + 0.38 * progress;
        for (int note : entry.notes) entry.answered.push_back((note + !entry.correct) % 12);
        entry.verdict = entry.correct ? "Correct" : "Incorrect";
        entry.responseMilliseconds =
            static_cast<int>(3500 - 2300 * progress + 1500 * (uniform(random) - 0.5));
        journal.push_back(std::move(entry));
    }
    return journal;
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

const std::array<std::string, velmora::kPitchClasses> kNames = {"C",  "C#", "D",  "Eb", "E",  "F",
                                                                "F#", "G",  "Ab", "A",  "Bb", "B"};

// What the window asks of the coach after an answer.
int MarksAndNextStep(const velmora::MasteryTracker& tracker, const velmora::Tally& week) {
    int mastered = 0;
    for (int exercise = 0; exercise < static_cast<int>(velmora::kExercises.size()); ++exercise) {
        mastered += tracker.exerciseMastered(exercise);
    }
    const auto diatonic = tracker.currentExercise(velmora::ExerciseSeries::Diatonic);
    const auto diminished = tracker.currentExercise(velmora::ExerciseSeries::Diminished);
    std::array<bool, velmora::kPitchClasses> ticked{};
    const std::string_view mask = velmora::kExercises[diatonic.value_or(21)].mask;
    for (int pc = 0; pc < velmora::kPitchClasses; ++pc) ticked[pc] = mask[pc] == '1';
    const velmora::NextStep step = velmora::ChooseNextStep(tracker, week, ticked, kNames);
    return mastered + diminished.value_or(0) + static_cast<int>(step.sentence.size());
}

}  // namespace

int main() {
    const std::vector<velmora::JournalEntry> journal = LearnerJournal();
    // A week with no pair confused five times, so the rule goes on to weigh
    // every pitch class.
    const velmora::Tally week;

    velmora::MasteryTracker tracker;
    double start = MonotonicSeconds();
    const double cpuStart = ThreadCpuSeconds();
    for (int i = 0; i < kAnswers; ++i) tracker.add(journal[i]);
    int sink = MarksAndNextStep(tracker, week);
    const double allMs = (MonotonicSeconds() - start) * 1000;
    const double allCpuMs = (ThreadCpuSeconds() - cpuStart) * 1000;

    std::vector<double> ms, cpuMs;
    ms.reserve(kMoreAnswers);
    cpuMs.reserve(kMoreAnswers);
    for (int i = kAnswers; i < kAnswers + kMoreAnswers; ++i) {
        start = MonotonicSeconds();
        const double cpuBefore = ThreadCpuSeconds();
        tracker.add(journal[i]);
        sink += MarksAndNextStep(tracker, week);
        cpuMs.push_back((ThreadCpuSeconds() - cpuBefore) * 1000);
        ms.push_back((MonotonicSeconds() - start) * 1000);
    }

    int mastered = 0;
    for (const velmora::PitchMastery& mastery : tracker.all()) {
        mastered += mastery.state == velmora::MasteryState::Mastered;
    }
    std::printf("%d pitch classes mastered after %d answers over %d days (checksum %d)\n", mastered,
                kAnswers + kMoreAnswers, kDays, sink % 2);
    const std::string how = "coach_bench: " + std::to_string(kAnswers) +
                            " answers (90 % single notes) over " + std::to_string(kDays) +
                            " days, in memory";
    PrintFigure(
        "Mastery over the whole journal, with the next step", Format("%.1f ms", allMs), "<= 50 ms",
        how + "; every add, the 22 exercise marks, both series, ChooseNextStep; wall clock (" +
            Format("%.1f ms", allCpuMs) + " of CPU)");
    const std::string oneByOne =
        how + "; " + std::to_string(kMoreAnswers) + " more answers added one by one, wall clock";
    PrintFigure("One more answer with the marks and the next step, p50",
                Format("%.4f ms", velmora::bench::Median(ms)), "<= 2 ms", oneByOne);
    PrintFigure("One more answer with the marks and the next step, max",
                Format("%.4f ms", velmora::bench::Percentile(ms, 1.0)), "<= 2 ms",
                oneByOne + " (" + Format("%.4f ms", velmora::bench::Percentile(cpuMs, 1.0)) +
                    " of CPU at most: the rest is time without the processor)");
    return 0;
}
