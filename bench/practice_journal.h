// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

// A made-up practice journal that looks like a real learner's: evening
// sessions, mostly single notes, some chords and Shepard tones, a few
// instruments, and a learner who improves but keeps mixing up some pairs.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>

#include "ports/journal.h"

namespace velmora::bench {

class PracticeJournal {
public:
    // `days` days ending on the day of `lastUtcMilliseconds`, `perDay` answers a day on average.
    PracticeJournal(int days, int perDay, std::int64_t lastUtcMilliseconds, unsigned seed = 17)
        : days_(days), perDay_(perDay), random_(seed) {
        constexpr std::int64_t kDay = 86'400'000;
        firstMidnight_ = (lastUtcMilliseconds / kDay - (days - 1)) * kDay;
    }

    // Calls `each(entry)` for every answer, oldest first.
    template <typename Each>
    void generate(Each&& each) {
        constexpr std::int64_t kDay = 86'400'000;
        constexpr std::int64_t kMinute = 60'000;
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        int run = 0;
        for (int day = 0; day < days_; ++day) {
            // Now and then a day off.
            if (unit(random_) < 0.12 && day != days_ - 1) continue;
            const double progress = days_ > 1 ? static_cast<double>(day) / (days_ - 1) : 1.0;
            const int answers = static_cast<int>(perDay_ * (0.6 + 0.8 * unit(random_)));
            // An evening session, 18:00 to 21:00 local, at UTC+1.
            std::int64_t time = firstMidnight_ + day * kDay +
                                (17 + static_cast<int>(3 * unit(random_))) * 60 * kMinute;
            ++run;
            JournalEntry entry;
            entry.utcOffsetMinutes = 60;
            entry.keySignature = "C major";
            entry.noteValue = "quarter";
            entry.tempo = 80;
            for (int i = 0; i < answers; ++i) {
                if (i > 0 && i % 150 == 0) ++run;
                entry.run = run;
                entry.question = i + 1;
                fill(entry, progress, unit);
                time += static_cast<std::int64_t>(entry.responseMilliseconds) + 1500;
                entry.utcMilliseconds = time - kMinute * entry.utcOffsetMinutes;
                each(entry);
            }
        }
    }

private:
    template <typename Unit>
    void fill(JournalEntry& entry, double progress, Unit& unit) {
        const double kind = unit(random_);
        entry.shepard = kind > 0.9;
        const int size =
            kind < 0.62 ? 1 : (kind < 0.9 ? 2 + static_cast<int>(unit(random_) * 2) : 1);
        static constexpr std::array<int, 6> kPrograms = {0, 0, 0, 48, 73, 24};
        entry.program = kPrograms[static_cast<std::size_t>(unit(random_) * kPrograms.size())];
        entry.notes.clear();
        entry.answered.clear();
        bool allRight = true;
        double slowness = 1.0;
        if (entry.shepard) {
            const int pitchClass = static_cast<int>(unit(random_) * 12);
            for (int note = 24 + pitchClass; note <= 96; note += 12) entry.notes.push_back(note);
            const int answered = answer(pitchClass, progress - 0.15, unit);
            entry.answered.push_back(answered);
            allRight = answered == pitchClass;
            slowness = 1.3;
        } else {
            for (int i = 0; i < size; ++i)
                entry.notes.push_back(40 + static_cast<int>(unit(random_) * 44));
            std::sort(entry.notes.begin(), entry.notes.end());
            for (int note : entry.notes) {
                // Far from the middle is harder.
                const double register_ = std::abs(note - 62) / 24.0;
                const int answered =
                    answer(note % 12, progress - 0.12 * register_ - 0.1 * (size - 1), unit);
                entry.answered.push_back(answered);
                allRight = allRight && answered == note % 12;
            }
            slowness = 1.0 + 0.6 * (size - 1);
        }
        entry.correct = allRight;
        entry.verdict = allRight ? "Correct" : "Incorrect";
        entry.questionText.clear();
        const double median = (2600.0 - 1300.0 * progress) * slowness * (allRight ? 1.0 : 1.4);
        std::lognormal_distribution<double> time(std::log(median), 0.35);
        entry.responseMilliseconds = unit(random_) < 0.02 ? -1 : static_cast<int>(time(random_));
    }

    // What the learner answers for `pitchClass`: right more often as the
    // weeks go by, and when wrong, the usual suspects.
    template <typename Unit>
    int answer(int pitchClass, double progress, Unit& unit) {
        static constexpr std::array<double, 12> kEase = {0.9, 0.45, 0.8, 0.35, 0.75, 0.8,
                                                         0.4, 0.85, 0.5, 0.75, 0.4,  0.6};
        const double right =
            std::clamp(0.35 + 0.25 * kEase[pitchClass] + 0.45 * progress, 0.05, 0.98);
        if (unit(random_) < right) return pitchClass;
        // Eb for E, F# for G, Bb for A, C# for D, B for C, G# for A.
        static constexpr std::array<int, 12> kLikely = {11, 2, 1, 4, 3, 4, 7, 6, 9, 8, 9, 0};
        if (unit(random_) < 0.6) return kLikely[pitchClass];
        const int step = unit(random_) < 0.5 ? 1 : 11;
        return (pitchClass + step) % 12;
    }

    int days_;
    int perDay_;
    std::mt19937 random_;
    std::int64_t firstMidnight_ = 0;
};

}  // namespace velmora::bench
