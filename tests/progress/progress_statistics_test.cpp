// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "progress/progress_statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <limits>
#include <map>
#include <random>

namespace velmora {
namespace {

constexpr std::int64_t kDay = 86'400'000;
constexpr std::int64_t kHour = 3'600'000;
// 2026-03-10 12:00 UTC.
constexpr std::int64_t kNoon = 20522 * kDay + 12 * kHour;

constexpr std::array kPeriods = {ProgressPeriod::ThisRun, ProgressPeriod::Today,
                                 ProgressPeriod::LastSevenDays, ProgressPeriod::AllTime};
constexpr std::array kFilters = {ProgressFilter::All, ProgressFilter::SingleNotes,
                                 ProgressFilter::Chords, ProgressFilter::Shepard};
constexpr std::array kChoosers = {ProgressChosenBy::All, ProgressChosenBy::Coach,
                                  ProgressChosenBy::UniformDraw};

JournalEntry Single(int note, int answered, std::int64_t utc = kNoon, int offset = 0) {
    JournalEntry entry;
    entry.utcMilliseconds = utc;
    entry.utcOffsetMinutes = offset;
    entry.run = 1;
    entry.notes = {note};
    entry.answered = {answered};
    entry.correct = note % 12 == answered;
    entry.responseMilliseconds = 1000;
    return entry;
}

// All answers' figures for a period, at noon UTC.
ProgressFigures FiguresOf(const ProgressStatistics& statistics,
                          ProgressPeriod period = ProgressPeriod::AllTime) {
    return statistics.figures(period, ProgressFilter::All, kNoon, 0);
}

// ---- The figures worked out the plain way, answer by answer. ----

struct Plain {
    Tally tally;
    std::array<std::vector<int>, 12> times;
    std::map<int, std::array<RightOfAsked, 12>> days;
};

void Count(RightOfAsked& counts, bool right) {
    counts.asked += 1;
    counts.right += right;
}

// (asked, right) of each, to compare at once.
using Counts = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
template <std::size_t N>
Counts Pairs(const std::array<RightOfAsked, N>& all) {
    Counts pairs;
    for (const RightOfAsked& counts : all) pairs.emplace_back(counts.asked, counts.right);
    return pairs;
}

int PlainDay(const JournalEntry& entry) {
    std::int64_t local = entry.utcMilliseconds + entry.utcOffsetMinutes * 60'000LL;
    std::int64_t day = local / kDay;
    if (local < 0 && local % kDay != 0) day -= 1;
    return static_cast<int>(day);
}

bool PlainTakes(ProgressFilter filter, ProgressChosenBy chosenBy, const JournalEntry& entry) {
    if (chosenBy == ProgressChosenBy::Coach && !entry.coachChose) return false;
    if (chosenBy == ProgressChosenBy::UniformDraw && entry.coachChose) return false;
    if (filter == ProgressFilter::Shepard) return entry.shepard;
    if (filter == ProgressFilter::SingleNotes) return !entry.shepard && entry.notes.size() == 1;
    if (filter == ProgressFilter::Chords) return !entry.shepard && entry.notes.size() > 1;
    return true;
}

Plain Compute(const std::vector<JournalEntry>& entries, ProgressPeriod period,
              ProgressFilter filter, ProgressChosenBy chosenBy, int today) {
    Plain plain;
    for (const JournalEntry& entry : entries) {
        const int day = PlainDay(entry);
        if (period == ProgressPeriod::Today && day != today) continue;
        if (period == ProgressPeriod::LastSevenDays && (day > today || day <= today - 7)) continue;
        if (!PlainTakes(filter, chosenBy, entry)) continue;
        plain.tally.answers += 1;
        plain.tally.answersRight += entry.correct;
        struct Judged {
            int note;  // -1: a Shepard tone, in every register
            int asked;
            int answered;
        };
        std::vector<Judged> judged;
        if (entry.shepard) {
            judged.push_back({-1, entry.notes[0] % 12, entry.answered[0]});
        } else {
            for (std::size_t i = 0; i < entry.notes.size() && i < entry.answered.size(); ++i) {
                judged.push_back({entry.notes[i], entry.notes[i] % 12, entry.answered[i]});
            }
        }
        for (auto [note, asked, answered] : judged) {
            const bool right = asked == answered;
            plain.tally.confusion[asked][answered] += 1;
            if (note >= 0) Count(plain.tally.octaves[note / 12], right);
            Count(plain.tally.instruments[entry.program], right);
            Count(plain.days[day][asked], right);
            if (entry.responseMilliseconds >= 0)
                plain.times[asked].push_back(entry.responseMilliseconds);
        }
    }
    return plain;
}

void ExpectSame(const ProgressFigures& figures, const Plain& plain, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(figures.tally.answers, plain.tally.answers);
    EXPECT_EQ(figures.tally.answersRight, plain.tally.answersRight);
    EXPECT_EQ(figures.tally.confusion, plain.tally.confusion);
    EXPECT_EQ(Pairs(figures.tally.octaves), Pairs(plain.tally.octaves));
    EXPECT_EQ(Pairs(figures.tally.instruments), Pairs(plain.tally.instruments));
    for (int pitchClass = 0; pitchClass < 12; ++pitchClass) {
        std::vector<int> times = plain.times[pitchClass];
        std::ranges::sort(times);
        const auto median = times.empty()
                                ? std::nullopt
                                : std::optional(ResponseBucket(times[(times.size() - 1) / 2]));
        EXPECT_EQ(figures.medianResponseBucket(pitchClass), median) << pitchClass;
    }
    std::vector<std::pair<int, Counts>> days;
    for (const auto& [day, counts] : plain.days) days.emplace_back(day, Pairs(counts));
    std::vector<std::pair<int, Counts>> shown;
    for (const DayFigures& point : figures.days)
        shown.emplace_back(point.day, Pairs(point.pitchClasses));
    EXPECT_EQ(shown, days);
}

JournalEntry RandomEntry(std::mt19937& random, std::int64_t utc, int run) {
    auto below = [&random](int n) { return static_cast<int>(random() % n); };
    JournalEntry entry;
    entry.utcMilliseconds = utc;
    entry.utcOffsetMinutes = below(27 * 4) * 15 - 12 * 60;
    entry.run = run;
    entry.program = below(4) * 40;
    const int kind = below(3);
    entry.shepard = kind == 2;
    if (entry.shepard) {
        const int pitchClass = below(12);
        for (int note = 24 + pitchClass; note <= 96; note += 12) entry.notes.push_back(note);
        entry.answered = {below(4) == 0 ? below(12) : pitchClass};
    } else {
        const int size = kind == 0 ? 1 : 2 + below(3);
        for (int i = 0; i < size; ++i) entry.notes.push_back(36 + below(50));
        std::sort(entry.notes.begin(), entry.notes.end());
        // Mostly right; now and then one press short, or one too many.
        const int presses = size + (below(8) == 0 ? below(3) - 1 : 0);
        for (int i = 0; i < presses; ++i) {
            const int asked = i < size ? entry.notes[i] % 12 : below(12);
            entry.answered.push_back(below(3) == 0 ? (asked + below(3) + 11) % 12 : asked);
        }
    }
    entry.correct = below(2) == 0;
    entry.responseMilliseconds = below(5) == 0 ? -1 : below(20000);
    entry.coachChose = below(3) == 0;
    return entry;
}

TEST(ProgressStatistics, EqualsThePlainSumsOverRandomJournals) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        // History over three weeks before now, read in two parts as at start-up.
        std::vector<JournalEntry> all;
        ProgressStatistics statistics;
        ProgressStatistics loaded;
        for (int i = 0; i < 600; ++i) {
            const std::int64_t utc = kNoon - static_cast<std::int64_t>(random() % (21 * kDay));
            all.push_back(RandomEntry(random, utc, 1 + i / 50));
            (i % 3 == 0 ? statistics : loaded).addHistory(all.back());
        }
        statistics.mergeHistory(std::move(loaded));

        // Figures the window keeps, stepped forward answer by answer.
        std::vector<ProgressFigures> kept;
        for (auto period : kPeriods) {
            for (auto filter : kFilters) {
                for (auto chosenBy : kChoosers)
                    kept.push_back(statistics.figures(period, filter, kNoon, 60, chosenBy));
            }
        }
        // Live answers in three runs, some of them replaced.
        std::vector<JournalEntry> live;
        std::int64_t utc = kNoon - 2 * kHour;
        for (int i = 0; i < 300; ++i) {
            utc += random() % 40'000;
            const JournalEntry entry = RandomEntry(random, utc, 100 + i / 120);
            if (!live.empty() && random() % 6 == 0 && live.back().run == entry.run) {
                live.back() = entry;
                all.back() = entry;
                statistics.replaceLast(entry);
            } else {
                live.push_back(entry);
                all.push_back(entry);
                statistics.add(entry);
            }
            for (auto& figures : kept) statistics.update(figures, kNoon, 60);
        }
        std::vector<JournalEntry> thisRun;
        std::ranges::copy_if(live, std::back_inserter(thisRun), [&](const JournalEntry& entry) {
            return entry.run == live.back().run;
        });

        const int today = PlainDay(Single(0, 0, kNoon, 60));
        std::size_t k = 0;
        for (auto period : kPeriods) {
            for (auto filter : kFilters) {
                for (auto chosenBy : kChoosers) {
                    const auto& entries = period == ProgressPeriod::ThisRun ? thisRun : all;
                    const Plain plain = Compute(entries, period, filter, chosenBy, today);
                    const std::string what = "period " + std::to_string(static_cast<int>(period)) +
                                             " filter " + std::to_string(static_cast<int>(filter)) +
                                             " chosen by " +
                                             std::to_string(static_cast<int>(chosenBy));
                    ExpectSame(statistics.figures(period, filter, kNoon, 60, chosenBy), plain,
                               what + " afresh");
                    ExpectSame(kept[k++], plain, what + " stepped");
                }
            }
        }
        EXPECT_EQ(statistics.answers(), all.size());
    }
}

// How a replacement counts is for the random journals to check; after a
// clear there is nothing left to replace.
TEST(ProgressStatistics, AReplacementAfterAClearIsKeptAsAnAnswer) {
    ProgressStatistics statistics;
    statistics.add(Single(63, 4));
    statistics.clear();
    statistics.replaceLast(Single(63, 3));
    EXPECT_EQ(FiguresOf(statistics, ProgressPeriod::ThisRun).tally.pitchClass(3).asked, 1u);
}

TEST(ProgressStatistics, TodayIsTheLocalDateOfEachAnswer) {
    ProgressStatistics statistics;
    const std::int64_t midnight = kNoon - 12 * kHour;
    // 23:30 UTC the day before, but 00:30 local at UTC+1: today.
    statistics.addHistory(Single(60, 0, midnight - kHour / 2, 60));
    // 00:30 UTC, but 19:30 the day before in New York.
    statistics.addHistory(Single(62, 2, midnight + kHour / 2, -300));
    // 23:59 local today, at UTC-10.
    statistics.addHistory(Single(64, 4, midnight + 34 * kHour - 60'000, -600));

    // The pitch classes asked today, as it is at `now` where the user is.
    auto today = [&](std::int64_t now, int offset) {
        const Tally tally =
            statistics.figures(ProgressPeriod::Today, ProgressFilter::All, now, offset).tally;
        std::string which;
        for (int pitchClass = 0; pitchClass < 12; ++pitchClass) {
            if (tally.pitchClass(pitchClass).asked > 0) which += std::to_string(pitchClass) + " ";
        }
        return which;
    };
    // At 20:00 in New York it is still yesterday there.
    EXPECT_EQ(today(midnight + kHour, -240), "2 ");
    // A day later none of them is today's.
    EXPECT_EQ(today(kNoon + kDay, 0), "");
}

TEST(ProgressStatistics, KeptFiguresStartAfreshAfterMidnight) {
    ProgressStatistics statistics;
    statistics.add(Single(60, 0, kNoon + 11 * kHour));  // 23:00
    ProgressFigures today =
        statistics.figures(ProgressPeriod::Today, ProgressFilter::All, kNoon + 11 * kHour, 0);
    statistics.add(Single(62, 2, kNoon + 13 * kHour));  // 01:00 the next day
    statistics.update(today, kNoon + 13 * kHour, 0);
    EXPECT_EQ(today.tally.answers, 1u);
    EXPECT_EQ(today.tally.pitchClass(2).asked, 1u);
    EXPECT_EQ(today.days.size(), 1u);
}

// Unknown times left out of the median are for the random journals to check.
TEST(ProgressStatistics, TheMedianTimeIsInMillisecondsOrMinusOneWhenNoneIsKnown) {
    ProgressStatistics statistics;
    JournalEntry known = Single(60, 0);
    known.responseMilliseconds = 2500;
    statistics.add(known);
    const ProgressFigures figures = FiguresOf(statistics);
    EXPECT_EQ(figures.medianResponseMilliseconds(2), -1);
    EXPECT_NEAR(figures.medianResponseMilliseconds(0), 2500, 2500 * 0.03);
}

TEST(ProgressStatistics, ShepardTonesHaveNoRegisterAndOddValuesAreIgnored) {
    ProgressStatistics statistics;
    JournalEntry shepard = Single(63, 4);
    shepard.shepard = true;
    shepard.notes = {27, 39, 51, 63, 75, 87, 99};
    statistics.add(shepard);
    JournalEntry odd = Single(200, 40);
    odd.program = 999;
    odd.utcMilliseconds = std::numeric_limits<std::int64_t>::max();
    odd.utcOffsetMinutes = std::numeric_limits<int>::min();
    odd.responseMilliseconds = std::numeric_limits<int>::max();
    statistics.add(odd);
    statistics.add(JournalEntry{});

    const ProgressFigures figures = FiguresOf(statistics);
    EXPECT_EQ(figures.tally.notes().asked, 1u);
    EXPECT_EQ(figures.tally.pitchClass(3).asked, 1u);
    const std::array<std::string, 12> names = {"C",  "C#", "D",  "Eb", "E",  "F",
                                               "F#", "G",  "G#", "A",  "Bb", "B"};
    // The count as the desktop writes it; the other words are the progress window's to check.
    EXPECT_EQ(ConfusionWords({3, 4, 1234}, names, "1.234"), "Eb taken for E: 1.234 times");
}

TEST(ResponseBucket, GrowsWithTheTimeAndItsMiddleLiesInside) {
    int previous = 0;
    for (int milliseconds = 0; milliseconds < 200'000; milliseconds += 7) {
        const int bucket = ResponseBucket(milliseconds);
        EXPECT_GE(bucket, previous);
        EXPECT_LT(bucket, kResponseBuckets);
        previous = bucket;
    }
    for (int bucket = 1; bucket < kResponseBuckets - 1; ++bucket) {
        EXPECT_EQ(ResponseBucket(BucketMilliseconds(bucket)), bucket);
    }
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

JournalEntry At(std::int64_t utc, int run, int note = 60, bool right = true, int session = 1) {
    JournalEntry entry = Single(note, right ? note % 12 : (note + 1) % 12, utc);
    entry.session = session;
    entry.run = run;
    entry.responseMilliseconds = 1500;
    return entry;
}

TEST(PracticeDays, CountTheGapsWithinARunAndNoPause) {
    ProgressStatistics statistics;
    statistics.add(At(kNoon, 1));            // first of a run: its response time
    statistics.add(At(kNoon + 4'000, 1));    // 4 s later
    statistics.add(At(kNoon + 600'000, 1));  // after a pause: at most a minute
    statistics.add(At(kNoon + 605'000, 2));  // a new run starts from its question
    statistics.replaceLast(At(kNoon + 609'000, 2, 60, false));  // regraded: counted once
    statistics.add(At(kNoon + kDay, 1, 60, true, 2));           // the next day, another start

    const PracticeDay today = statistics.practiceDay(LocalDay(kNoon, 0));
    EXPECT_EQ(today.answers, 4u);
    EXPECT_EQ(today.milliseconds, 1'500 + 4'000 + kLongestPracticeGap + 1'500);
    EXPECT_EQ(statistics.practiceDays().size(), 2u);
    EXPECT_EQ(statistics.practiceDay(LocalDay(kNoon, 0) + 5).answers, 0u);
}

TEST(PracticeDays, DaysInARowEndTodayOrYesterday) {
    ProgressStatistics statistics;
    for (int day : {0, 2, 3, 4}) statistics.addHistory(At(kNoon + day * kDay, day + 1));
    const int first = LocalDay(kNoon, 0);
    EXPECT_EQ(statistics.daysInARow(first + 4), 3);
    EXPECT_EQ(statistics.daysInARow(first + 5), 3);  // not yet practised today
    EXPECT_EQ(statistics.daysInARow(first + 6), 0);
    EXPECT_EQ(statistics.daysInARow(first + 1), 1);
}

// History read while this start's answers come in is still followed in the
// order the answers were given, for mastery and for the run's start.
TEST(PracticeDays, MasteryFollowsTheHistoryBeforeTheLiveAnswers) {
    std::mt19937 random(7);
    std::vector<JournalEntry> history;
    for (int i = 0; i < 400; ++i) {
        JournalEntry entry = At(kNoon - 3 * kDay + i * 600'000LL / 4, 1 + i / 50,
                                48 + static_cast<int>(random() % 24), random() % 10 != 0, 1);
        entry.responseMilliseconds = 800 + static_cast<int>(random() % 2000);
        history.push_back(entry);
    }
    std::vector<JournalEntry> live;
    for (int i = 0; i < 60; ++i) {
        live.push_back(At(kNoon + i * 5'000LL, 1 + i / 40, 48 + static_cast<int>(random() % 24),
                          random() % 4 != 0, 2));
    }

    ProgressStatistics inOrder;
    for (const JournalEntry& entry : history) inOrder.addHistory(entry);
    for (const JournalEntry& entry : live) inOrder.add(entry);

    ProgressStatistics merged;
    ProgressStatistics loaded;
    for (const JournalEntry& entry : history) loaded.addHistory(entry);
    for (const JournalEntry& entry : live) merged.add(entry);
    merged.mergeHistory(std::move(loaded));

    for (int pitchClass = 0; pitchClass < kPitchClasses; ++pitchClass) {
        const PitchMastery a = inOrder.mastery().pitchClass(pitchClass);
        const PitchMastery b = merged.mastery().pitchClass(pitchClass);
        EXPECT_EQ(a.state, b.state) << pitchClass;
        EXPECT_EQ(a.right, b.right) << pitchClass;
        EXPECT_EQ(a.days, b.days) << pitchClass;
        EXPECT_EQ(inOrder.masteryAtRunStart()[pitchClass].right,
                  merged.masteryAtRunStart()[pitchClass].right)
            << pitchClass;
    }
    EXPECT_EQ(inOrder.practiceDays(), merged.practiceDays());
}

}  // namespace
}  // namespace velmora
