// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "progress/progress_statistics.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace velmora {

namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
// Days are packed in 17 bits: 1970 to 2328. Dates outside fall on the ends.
constexpr int kLastDay = (1 << 17) - 1;
constexpr int kKinds = 3;
constexpr int kNoKind = -1;

// Single note 0, chord 1, Shepard 2; kNoKind for an entry with nothing asked.
int KindOf(const JournalEntry& entry) {
    if (entry.notes.empty()) return kNoKind;
    if (entry.shepard) return 2;
    return entry.notes.size() == 1 ? 0 : 1;
}

bool Takes(ProgressFilter filter, int kind) {
    switch (filter) {
        case ProgressFilter::All:
            return kind != kNoKind;
        case ProgressFilter::SingleNotes:
            return kind == 0;
        case ProgressFilter::Chords:
            return kind == 1;
        case ProgressFilter::Shepard:
            return kind == 2;
    }
    return false;
}

bool Chosen(ProgressChosenBy chosenBy, bool coachChose) {
    switch (chosenBy) {
        case ProgressChosenBy::All:
            return true;
        case ProgressChosenBy::Coach:
            return coachChose;
        case ProgressChosenBy::UniformDraw:
            return !coachChose;
    }
    return false;
}

bool IsNote(int note) {
    return note >= 0 && note <= 127;
}
bool IsPitchClass(int pitchClass) {
    return pitchClass >= 0 && pitchClass < kPitchClasses;
}

// Calls `judged(note, asked, answered)` for every note judged in the entry:
// a Shepard tone once, with note -1 (it sounds in every register); the notes
// of a question position by position against the pitch classes answered.
// Values no trainer writes (a note beyond 127) are passed over.
template <typename Judged>
void ForEachJudgedNote(const JournalEntry& entry, Judged&& judged) {
    if (entry.shepard) {
        if (!entry.notes.empty() && !entry.answered.empty() && IsNote(entry.notes[0]) &&
            IsPitchClass(entry.answered[0])) {
            judged(-1, entry.notes[0] % kPitchClasses, entry.answered[0]);
        }
        return;
    }
    const std::size_t judgedNotes = std::min(entry.notes.size(), entry.answered.size());
    for (std::size_t i = 0; i < judgedNotes; ++i) {
        if (IsNote(entry.notes[i]) && IsPitchClass(entry.answered[i])) {
            judged(entry.notes[i], entry.notes[i] % kPitchClasses, entry.answered[i]);
        }
    }
}

void Count(RightOfAsked& count, bool right, int sign) {
    // Unsigned arithmetic wraps: adding -1 takes one away.
    count.asked += static_cast<std::uint32_t>(sign);
    if (right) count.right += static_cast<std::uint32_t>(sign);
}

void Apply(Tally& tally, const JournalEntry& entry, int sign) {
    const auto step = static_cast<std::uint32_t>(sign);
    tally.answers += step;
    if (entry.correct) tally.answersRight += step;
    const bool knownProgram = entry.program >= 0 && entry.program < kPrograms;
    ForEachJudgedNote(entry, [&](int note, int asked, int answered) {
        const bool right = asked == answered;
        tally.confusion[asked][answered] += step;
        if (note >= 0) Count(tally.octaves[note / kPitchClasses], right, sign);
        if (knownProgram) Count(tally.instruments[entry.program], right, sign);
    });
}

std::uint32_t PackResponse(bool coachChose, int day, int kind, int pitchClass, int bucket) {
    return static_cast<std::uint32_t>(coachChose) << 31 | static_cast<std::uint32_t>(day) << 14 |
           static_cast<std::uint32_t>(kind) << 12 | static_cast<std::uint32_t>(pitchClass) << 8 |
           static_cast<std::uint32_t>(bucket);
}
bool CoachChoseResponse(std::uint32_t packed) {
    return (packed >> 31) != 0;
}
int DayOfResponse(std::uint32_t packed) {
    return static_cast<int>(packed >> 14 & kLastDay);
}
int KindOfResponse(std::uint32_t packed) {
    return static_cast<int>(packed >> 12 & 3);
}
int PitchClassOfResponse(std::uint32_t packed) {
    return static_cast<int>(packed >> 8 & 15);
}
int BucketOfResponse(std::uint32_t packed) {
    return static_cast<int>(packed & 255);
}

// Every count of `to` with the same count of `from`, by `op`.
template <typename Op>
void Combine(Tally& to, const Tally& from, Op op) {
    for (int asked = 0; asked < kPitchClasses; ++asked) {
        for (int answered = 0; answered < kPitchClasses; ++answered) {
            to.confusion[asked][answered] =
                op(to.confusion[asked][answered], from.confusion[asked][answered]);
        }
    }
    for (int i = 0; i < kOctaves; ++i) {
        to.octaves[i].asked = op(to.octaves[i].asked, from.octaves[i].asked);
        to.octaves[i].right = op(to.octaves[i].right, from.octaves[i].right);
    }
    for (int i = 0; i < kPrograms; ++i) {
        to.instruments[i].asked = op(to.instruments[i].asked, from.instruments[i].asked);
        to.instruments[i].right = op(to.instruments[i].right, from.instruments[i].right);
    }
    to.answers = op(to.answers, from.answers);
    to.answersRight = op(to.answersRight, from.answersRight);
}

// The day's point of the chart, made when missing.
DayFigures& PointOf(std::vector<DayFigures>& days, int day) {
    auto at = std::lower_bound(days.begin(), days.end(), day,
                               [](const DayFigures& point, int d) { return point.day < d; });
    if (at == days.end() || at->day != day) {
        at = days.insert(at, DayFigures{});
        at->day = day;
    }
    return *at;
}

// Adds (sign 1) or takes away (-1) one answer from figures that cover it.
void ApplyToFigures(ProgressFigures& figures, const JournalEntry& entry, int sign) {
    if (!Takes(figures.filter, KindOf(entry)) || !Chosen(figures.chosenBy, entry.coachChose)) {
        return;
    }
    const int day = LocalDay(entry.utcMilliseconds, entry.utcOffsetMinutes);
    switch (figures.period) {
        case ProgressPeriod::ThisRun:
            break;  // the caller knows the run
        case ProgressPeriod::Today:
            if (day != figures.today) return;
            break;
        case ProgressPeriod::LastSevenDays:
            if (day > figures.today || day < figures.today - 6) return;
            break;
        case ProgressPeriod::AllTime:
            break;
    }
    Apply(figures.tally, entry, sign);
    DayFigures& point = PointOf(figures.days, day);
    const bool timed = entry.responseMilliseconds >= 0;
    const int bucket = ResponseBucket(entry.responseMilliseconds);
    ForEachJudgedNote(entry, [&](int, int asked, int answered) {
        Count(point.pitchClasses[asked], asked == answered, sign);
        if (timed) figures.responses[asked][bucket] += static_cast<std::uint32_t>(sign);
    });
    if (point.notes().asked == 0) {
        figures.days.erase(figures.days.begin() + (&point - figures.days.data()));
    }
}

}  // namespace

int ResponseBucket(int milliseconds) {
    if (milliseconds <= 100) return 0;
    const double bucket = std::floor(24.0 * std::log2(milliseconds / 100.0));
    return static_cast<int>(std::min(bucket, static_cast<double>(kResponseBuckets - 1)));
}

int BucketMilliseconds(int bucket) {
    return static_cast<int>(std::lround(100.0 * std::exp2((bucket + 0.5) / 24.0)));
}

int LocalDay(std::int64_t utcMilliseconds, int utcOffsetMinutes) {
    // Clamped first, so that no sum overflows.
    constexpr std::int64_t kFar = std::int64_t{1} << 50;
    const std::int64_t local = std::clamp<std::int64_t>(utcMilliseconds, -kFar, kFar) +
                               std::clamp(utcOffsetMinutes, -24 * 60, 24 * 60) * 60'000LL;
    std::int64_t day = local / kMillisecondsPerDay;
    if (local % kMillisecondsPerDay < 0) --day;
    return static_cast<int>(std::clamp<std::int64_t>(day, 0, kLastDay));
}

std::string ConfusionWords(const Confusion& confusion,
                           const std::array<std::string, kPitchClasses>& pitchNames,
                           const std::string& count) {
    if (!IsPitchClass(confusion.asked) || !IsPitchClass(confusion.answered)) return {};
    return pitchNames[confusion.asked] + " taken for " + pitchNames[confusion.answered] + ": " +
           (count.empty() ? std::to_string(confusion.times) : count) +
           (confusion.times == 1 ? " time" : " times");
}

void Tally::add(const Tally& other) {
    Combine(*this, other, std::plus<std::uint32_t>());
}

void Tally::subtract(const Tally& part) {
    Combine(*this, part, std::minus<std::uint32_t>());
}

RightOfAsked Tally::pitchClass(int asked) const {
    RightOfAsked count;
    if (!IsPitchClass(asked)) return count;
    for (std::uint32_t times : confusion[asked]) count.asked += times;
    count.right = confusion[asked][asked];
    return count;
}

RightOfAsked Tally::notes() const {
    RightOfAsked count;
    for (int pitchClass = 0; pitchClass < kPitchClasses; ++pitchClass) {
        const RightOfAsked one = this->pitchClass(pitchClass);
        count.asked += one.asked;
        count.right += one.right;
    }
    return count;
}

RightOfAsked DayFigures::notes() const {
    RightOfAsked count;
    for (const RightOfAsked& one : pitchClasses) {
        count.asked += one.asked;
        count.right += one.right;
    }
    return count;
}

std::optional<int> ProgressFigures::medianResponseBucket(int pitchClass) const {
    if (!IsPitchClass(pitchClass)) return std::nullopt;
    const auto& histogram = responses[pitchClass];
    std::uint64_t total = 0;
    for (std::uint32_t times : histogram) total += times;
    if (total == 0) return std::nullopt;
    const std::uint64_t middle = (total - 1) / 2;  // the lower middle, a time that was given
    std::uint64_t below = 0;
    for (int bucket = 0; bucket < kResponseBuckets; ++bucket) {
        below += histogram[bucket];
        if (below > middle) return bucket;
    }
    return std::nullopt;
}

int ProgressFigures::medianResponseMilliseconds(int pitchClass) const {
    const std::optional<int> bucket = medianResponseBucket(pitchClass);
    return bucket ? BucketMilliseconds(*bucket) : -1;
}

std::vector<Confusion> ProgressFigures::topConfusions(std::size_t count) const {
    std::vector<Confusion> all;
    for (int asked = 0; asked < kPitchClasses; ++asked) {
        for (int answered = 0; answered < kPitchClasses; ++answered) {
            const std::uint32_t times = tally.confusion[asked][answered];
            if (asked != answered && times > 0) all.push_back({asked, answered, times});
        }
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const Confusion& a, const Confusion& b) { return a.times > b.times; });
    if (all.size() > count) all.resize(count);
    return all;
}

ProgressStatistics::DayTallies& ProgressStatistics::dayTallies(int day) {
    if (cachedTallies_ == nullptr || cachedDay_ != day) {
        cachedTallies_ = &days_[day];
        cachedDay_ = day;
    }
    return *cachedTallies_;
}

void ProgressStatistics::include(const JournalEntry& entry, int sign) {
    const int kind = KindOf(entry);
    if (kind == kNoKind) return;
    const int day = LocalDay(entry.utcMilliseconds, entry.utcOffsetMinutes);
    DayTallies& tallies = dayTallies(day);
    Apply(tallies.byKind[kind], entry, sign);
    if (entry.coachChose) {
        if (tallies.coachByKind.empty()) tallies.coachByKind.resize(kKinds);
        Apply(tallies.coachByKind[kind], entry, sign);
    }
    if (entry.responseMilliseconds < 0) return;
    const int bucket = ResponseBucket(entry.responseMilliseconds);
    ForEachJudgedNote(entry, [&](int, int asked, int) {
        const std::uint32_t packed = PackResponse(entry.coachChose, day, kind, asked, bucket);
        if (sign > 0) {
            responses_.push_back(packed);
            return;
        }
        // The times are a multiset: any equal one will do, and it is near the end.
        const auto at = std::find(responses_.rbegin(), responses_.rend(), packed);
        if (at == responses_.rend()) return;
        *at = responses_.back();
        responses_.pop_back();
    });
}

std::int64_t ProgressStatistics::PracticeCredit(const JournalEntry& entry,
                                                const std::optional<AnswerStamp>& previous) {
    std::int64_t credit = 0;
    if (previous && previous->session == entry.session && previous->run == entry.run) {
        credit = entry.utcMilliseconds - previous->utcMilliseconds;
    } else {
        credit = entry.responseMilliseconds;  // the first of a run: from its question on
    }
    return std::clamp<std::int64_t>(credit, 0, kLongestPracticeGap);
}

void ProgressStatistics::practised(const JournalEntry& entry, std::int64_t credit, int sign) {
    if (KindOf(entry) == kNoKind) return;
    DayTallies& day = dayTallies(LocalDay(entry.utcMilliseconds, entry.utcOffsetMinutes));
    day.answers += static_cast<std::uint32_t>(sign);
    day.practiceMilliseconds += sign * credit;
}

void ProgressStatistics::add(const JournalEntry& entry) {
    runStarted_ = thisRun_.empty() || thisRun_.back().run != entry.run ||
                  thisRun_.back().session != entry.session;
    if (runStarted_) {
        thisRun_.clear();
        masteryAtRunStart_ = mastery_.all();
    }
    thisRun_.push_back(entry);
    live_.push_back(entry);
    include(entry, 1);
    stampBeforeLast_ = lastStamp_;
    lastCredit_ = PracticeCredit(entry, lastStamp_);
    practised(entry, lastCredit_, 1);
    lastStamp_ = AnswerStamp{entry.session, entry.run, entry.utcMilliseconds};
    mastery_.add(entry);
    ++answers_;
    last_ = entry;
    removed_.reset();
    stepwise_ = true;
    ++version_;
}

void ProgressStatistics::replaceLast(const JournalEntry& entry) {
    if (!last_) {
        add(entry);
        return;
    }
    include(*last_, -1);
    include(entry, 1);
    practised(*last_, lastCredit_, -1);
    lastCredit_ = PracticeCredit(entry, stampBeforeLast_);
    practised(entry, lastCredit_, 1);
    lastStamp_ = AnswerStamp{entry.session, entry.run, entry.utcMilliseconds};
    mastery_.replaceLast(entry);
    if (!live_.empty()) live_.back() = entry;
    if (!thisRun_.empty()) thisRun_.pop_back();
    runStarted_ = !thisRun_.empty() &&
                  (thisRun_.back().run != entry.run || thisRun_.back().session != entry.session);
    if (runStarted_) thisRun_.clear();
    thisRun_.push_back(entry);
    removed_ = std::move(last_);
    last_ = entry;
    stepwise_ = true;
    ++version_;
}

void ProgressStatistics::addHistory(const JournalEntry& entry) {
    include(entry, 1);
    practised(entry, PracticeCredit(entry, lastStamp_), 1);
    lastStamp_ = AnswerStamp{entry.session, entry.run, entry.utcMilliseconds};
    mastery_.add(entry);
    ++answers_;
    stepwise_ = false;
    ++version_;
}

void ProgressStatistics::mergeHistory(ProgressStatistics&& loaded) {
    if (days_.empty()) {
        // As at start-up, before the first answer: taken over whole.
        days_ = std::move(loaded.days_);
        cachedTallies_ = nullptr;
    } else {
        for (const auto& [day, tallies] : loaded.days_) {
            DayTallies& mine = dayTallies(day);
            for (int kind = 0; kind < kKinds; ++kind) mine.byKind[kind].add(tallies.byKind[kind]);
            if (!tallies.coachByKind.empty() && mine.coachByKind.empty()) {
                mine.coachByKind.resize(kKinds);
            }
            for (std::size_t kind = 0; kind < tallies.coachByKind.size(); ++kind) {
                mine.coachByKind[kind].add(tallies.coachByKind[kind]);
            }
            mine.answers += tallies.answers;
            mine.practiceMilliseconds += tallies.practiceMilliseconds;
        }
    }
    // Mastery follows the answers in order: the history first, then this
    // start's own answers again on top of it.
    mastery_ = std::move(loaded.mastery_);
    const std::size_t runStart = live_.size() - std::min(live_.size(), thisRun_.size());
    for (std::size_t i = 0; i < live_.size(); ++i) {
        if (i == runStart) masteryAtRunStart_ = mastery_.all();
        mastery_.add(live_[i]);
    }
    if (live_.empty()) masteryAtRunStart_ = mastery_.all();
    // Older times go in front, so the live answer's stay near the end for replaceLast.
    loaded.responses_.insert(loaded.responses_.end(), responses_.begin(), responses_.end());
    responses_ = std::move(loaded.responses_);
    answers_ += loaded.answers_;
    stepwise_ = false;
    ++version_;
}

void ProgressStatistics::clear() {
    const std::uint64_t version = version_;
    *this = ProgressStatistics();
    version_ = version + 1;
}

void ProgressStatistics::collect(ProgressFigures& figures, int firstDay, int lastDay) const {
    std::array<bool, kKinds> taken{};
    for (int kind = 0; kind < kKinds; ++kind) taken[kind] = Takes(figures.filter, kind);
    const ProgressChosenBy chosenBy = figures.chosenBy;
    for (auto at = days_.lower_bound(firstDay); at != days_.end() && at->first <= lastDay; ++at) {
        const DayTallies& tallies = at->second;
        Tally day;
        for (int kind = 0; kind < kKinds; ++kind) {
            if (!taken[kind]) continue;
            if (chosenBy != ProgressChosenBy::Coach) day.add(tallies.byKind[kind]);
            if (chosenBy == ProgressChosenBy::All || tallies.coachByKind.empty()) continue;
            if (chosenBy == ProgressChosenBy::Coach) {
                day.add(tallies.coachByKind[kind]);
            } else {
                day.subtract(tallies.coachByKind[kind]);
            }
        }
        DayFigures point;
        point.day = at->first;
        for (int pitchClass = 0; pitchClass < kPitchClasses; ++pitchClass) {
            point.pitchClasses[pitchClass] = day.pitchClass(pitchClass);
        }
        if (point.notes().asked == 0) continue;
        figures.tally.add(day);
        figures.days.push_back(point);
    }
    for (std::uint32_t packed : responses_) {
        const int day = DayOfResponse(packed);
        if (day < firstDay || day > lastDay || !taken[KindOfResponse(packed)] ||
            !Chosen(chosenBy, CoachChoseResponse(packed))) {
            continue;
        }
        ++figures.responses[PitchClassOfResponse(packed)][BucketOfResponse(packed)];
    }
}

ProgressFigures ProgressStatistics::figures(ProgressPeriod period, ProgressFilter filter,
                                            std::int64_t nowUtcMilliseconds, int nowOffsetMinutes,
                                            ProgressChosenBy chosenBy) const {
    ProgressFigures figures;
    figures.period = period;
    figures.filter = filter;
    figures.chosenBy = chosenBy;
    figures.today = LocalDay(nowUtcMilliseconds, nowOffsetMinutes);
    figures.version = version_;
    switch (period) {
        case ProgressPeriod::ThisRun:
            for (const JournalEntry& entry : thisRun_) ApplyToFigures(figures, entry, 1);
            break;
        case ProgressPeriod::Today:
            collect(figures, figures.today, figures.today);
            break;
        case ProgressPeriod::LastSevenDays:
            collect(figures, figures.today - 6, figures.today);
            break;
        case ProgressPeriod::AllTime:
            collect(figures, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
            break;
    }
    return figures;
}

void ProgressStatistics::update(ProgressFigures& figures, std::int64_t nowUtcMilliseconds,
                                int nowOffsetMinutes) const {
    const bool sameDay = LocalDay(nowUtcMilliseconds, nowOffsetMinutes) == figures.today;
    if (sameDay && figures.version == version_) return;
    const bool oneStep = sameDay && stepwise_ && last_ && figures.version + 1 == version_ &&
                         !(figures.period == ProgressPeriod::ThisRun && runStarted_);
    if (!oneStep) {
        figures = this->figures(figures.period, figures.filter, nowUtcMilliseconds,
                                nowOffsetMinutes, figures.chosenBy);
        return;
    }
    if (removed_) ApplyToFigures(figures, *removed_, -1);
    ApplyToFigures(figures, *last_, 1);
    figures.version = version_;
}

std::vector<PracticeDay> ProgressStatistics::practiceDays() const {
    std::vector<PracticeDay> days;
    for (const auto& [day, tallies] : days_) {
        if (tallies.answers > 0)
            days.push_back({day, tallies.answers, tallies.practiceMilliseconds});
    }
    return days;
}

PracticeDay ProgressStatistics::practiceDay(int day) const {
    const auto at = days_.find(day);
    if (at == days_.end()) return {day, 0, 0};
    return {day, at->second.answers, at->second.practiceMilliseconds};
}

int ProgressStatistics::daysInARow(int today) const {
    auto practisedOn = [this](int day) {
        const auto at = days_.find(day);
        return at != days_.end() && at->second.answers > 0;
    };
    int day = practisedOn(today) ? today : today - 1;
    int count = 0;
    while (practisedOn(day)) {
        ++count;
        --day;
    }
    return count;
}

}  // namespace velmora
