// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "coach/mastery.h"
#include "model/trainer_state.h"
#include "ports/journal.h"

namespace velmora {

// Which answers a figure covers, by when they were given.
enum class ProgressPeriod { ThisRun, Today, LastSevenDays, AllTime };
// Which answers a figure covers, by the kind of question.
enum class ProgressFilter { All, SingleNotes, Chords, Shepard };
// Which answers a figure covers, by who chose the question: the coach, or the
// uniform draw among the ticked pitch classes.
enum class ProgressChosenBy { All, Coach, UniformDraw };

// Octave numbers -1 to 9: the registers of MIDI notes 0 to 127.
inline constexpr int kLowestOctave = -1;
inline constexpr int kOctaves = 11;
inline constexpr int kPrograms = 128;

// Response times are kept as a bucket each: 24 buckets per doubling from
// 100 ms (under 3 % wide), so a median costs a histogram, not every time.
inline constexpr int kResponseBuckets = 256;
int ResponseBucket(int milliseconds);
// The middle of a bucket, in milliseconds.
int BucketMilliseconds(int bucket);

// The local calendar day of a moment: days since 1970-01-01 in local time.
int LocalDay(std::int64_t utcMilliseconds, int utcOffsetMinutes);

struct RightOfAsked {
    std::uint32_t asked = 0;
    std::uint32_t right = 0;
    // -1 when nothing was asked.
    double accuracy() const { return asked == 0 ? -1.0 : static_cast<double>(right) / asked; }
};

// One asked note named wrongly as another pitch class, and how often.
struct Confusion {
    int asked = 0;
    int answered = 0;
    std::uint32_t times = 0;
};

// "Eb taken for E: 14 times", in the given spelling; `count` writes the
// number as the reader's language does ("1,234"), when given.
std::string ConfusionWords(const Confusion& confusion,
                           const std::array<std::string, kPitchClasses>& pitchNames,
                           const std::string& count = {});

// Sums over some answers. Every judged note counts: a single note, each chord
// tone against the pitch class answered at its position, a Shepard tone.
struct Tally {
    // [asked pitch class][answered pitch class]; the diagonal holds the right ones.
    std::array<std::array<std::uint32_t, kPitchClasses>, kPitchClasses> confusion{};
    std::array<RightOfAsked, kOctaves> octaves{};  // Shepard tones have no register
    std::array<RightOfAsked, kPrograms> instruments{};
    std::uint32_t answers = 0;
    std::uint32_t answersRight = 0;

    void add(const Tally& other);
    void subtract(const Tally& part);  // `part` was added before
    RightOfAsked pitchClass(int pitchClass) const;
    RightOfAsked notes() const;  // every judged note
};

// One day of the accuracy chart.
struct DayFigures {
    int day = 0;  // as LocalDay gives it
    std::array<RightOfAsked, kPitchClasses> pitchClasses{};
    RightOfAsked notes() const;
};

// What the Progress window shows for one period and filter, as of one moment.
struct ProgressFigures {
    ProgressPeriod period = ProgressPeriod::AllTime;
    ProgressFilter filter = ProgressFilter::All;
    ProgressChosenBy chosenBy = ProgressChosenBy::All;
    int today = 0;
    std::uint64_t version = 0;  // of the statistics these were taken from

    Tally tally;
    // [pitch class][bucket]: how many notes of each class were answered that fast.
    std::array<std::array<std::uint32_t, kResponseBuckets>, kPitchClasses> responses{};
    std::vector<DayFigures> days;  // oldest first, only days with answers

    // Milliseconds, the lower middle time as a bucket's middle; -1 with no time known.
    int medianResponseMilliseconds(int pitchClass) const;
    std::optional<int> medianResponseBucket(int pitchClass) const;
    // The wrong namings, most frequent first (then by asked, answered).
    std::vector<Confusion> topConfusions(std::size_t count) const;
};

// Answers given and time spent practising on one local day. The time of an
// answer is the time since the one before it in the same run, or its response
// time for the first of a run, at most kLongestPracticeGap: a pause is not practice.
struct PracticeDay {
    int day = 0;
    std::uint32_t answers = 0;
    std::int64_t milliseconds = 0;
    bool operator==(const PracticeDay&) const = default;
};
inline constexpr std::int64_t kLongestPracticeGap = 60'000;

// Statistics over the practice journal for the Progress window: fed every
// answer as it is recorded, and the journal's history once it is read.
// Kept per local day, so a period costs a sum over its days, not its answers.
class ProgressStatistics {
public:
    ProgressStatistics() = default;
    ProgressStatistics(const ProgressStatistics&) = delete;
    ProgressStatistics& operator=(const ProgressStatistics&) = delete;
    ProgressStatistics(ProgressStatistics&&) = default;
    ProgressStatistics& operator=(ProgressStatistics&&) = default;

    // An answer graded just now, in the run it names.
    void add(const JournalEntry& entry);
    // The last answer added, graded again after growing too long.
    void replaceLast(const JournalEntry& entry);
    // An answer of earlier runs, read back from the journal.
    void addHistory(const JournalEntry& entry);
    // Takes in history that was read into other statistics (on another thread).
    void mergeHistory(ProgressStatistics&& loaded);
    // Forgets every answer, this run's too.
    void clear();

    // `nowUtcMilliseconds` and `nowOffsetMinutes` say which day is today.
    ProgressFigures figures(ProgressPeriod period, ProgressFilter filter,
                            std::int64_t nowUtcMilliseconds, int nowOffsetMinutes,
                            ProgressChosenBy chosenBy = ProgressChosenBy::All) const;
    // Brings `figures` up to date with the answers added or replaced since it
    // was taken: step by step for the last change, else afresh.
    void update(ProgressFigures& figures, std::int64_t nowUtcMilliseconds,
                int nowOffsetMinutes) const;

    std::uint64_t version() const { return version_; }
    std::size_t answers() const { return answers_; }

    // Where each pitch class stands, over every answer in order.
    const MasteryTracker& mastery() const { return mastery_; }
    // As it stood when the latest run began.
    const PitchMasteries& masteryAtRunStart() const { return masteryAtRunStart_; }
    // The live answers of the latest run, in order.
    const std::vector<JournalEntry>& thisRun() const { return thisRun_; }

    // The days practised, oldest first.
    std::vector<PracticeDay> practiceDays() const;
    // One day; zero answers when not practised.
    PracticeDay practiceDay(int day) const;
    // Days practised in a row up to `today`, or up to yesterday while today
    // has no answer yet; 0 when neither was practised.
    int daysInARow(int today) const;

private:
    struct DayTallies {
        std::array<Tally, 3> byKind;  // single notes, chords, Shepard
        // The share of byKind whose questions the coach chose; the uniform
        // draw's is the rest. Empty while the coach chose none that day.
        std::vector<Tally> coachByKind;
        std::uint32_t answers = 0;  // of any kind
        std::int64_t practiceMilliseconds = 0;
    };
    // Which run an answer was given in, and when.
    struct AnswerStamp {
        std::int64_t session = 0;
        int run = 0;
        std::int64_t utcMilliseconds = 0;
    };
    // What an answer adds to its day's practice time, after `previous`.
    static std::int64_t PracticeCredit(const JournalEntry& entry,
                                       const std::optional<AnswerStamp>& previous);
    void practised(const JournalEntry& entry, std::int64_t credit, int sign);
    void include(const JournalEntry& entry, int sign);
    void collect(ProgressFigures& figures, int firstDay, int lastDay) const;
    DayTallies& dayTallies(int day);

    std::map<int, DayTallies> days_;
    int cachedDay_ = 0;
    DayTallies* cachedTallies_ = nullptr;  // map nodes stay put, also when moved
    // One per timed note: the coach's choice, day, kind, pitch class and
    // bucket packed in 32 bits.
    std::vector<std::uint32_t> responses_;
    std::vector<JournalEntry> thisRun_;  // the live answers of the latest run
    std::size_t answers_ = 0;

    std::optional<JournalEntry> last_;            // the last live answer, for replaceLast
    std::int64_t lastCredit_ = 0;                 // its practice time
    std::optional<AnswerStamp> lastStamp_;        // the answer taken in before, for its gap
    std::optional<AnswerStamp> stampBeforeLast_;  // and the one before that, for replaceLast
    std::vector<JournalEntry> live_;  // every live answer, to follow the history on merging

    MasteryTracker mastery_;
    PitchMasteries masteryAtRunStart_{};

    // The last change, for stepping figures forward: `last_` added, after
    // `removed_` was taken away, when `stepwise_`.
    std::uint64_t version_ = 0;
    bool stepwise_ = false;
    std::optional<JournalEntry> removed_;
    bool runStarted_ = false;
};

}  // namespace velmora
