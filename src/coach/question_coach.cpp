// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "coach/question_coach.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "coach/mastery.h"

namespace velmora {

namespace {

bool CoachListHolds(const std::vector<int>& list, int pitchClass) {
    return std::find(list.begin(), list.end(), pitchClass) != list.end();
}

}  // namespace

int PitchClassDistance(int a, int b) {
    const int steps = std::abs(a - b) % kPitchClasses;
    return std::min(steps, kPitchClasses - steps);
}

std::vector<int> ClassesAllowedAfter(const std::vector<int>& available, std::optional<int> last) {
    if (!last) return available;
    std::vector<int> apart, other;
    for (int pitchClass : available) {
        const int distance = PitchClassDistance(pitchClass, *last);
        if (distance >= 2) apart.push_back(pitchClass);
        if (distance >= 1) other.push_back(pitchClass);
    }
    if (!apart.empty()) return apart;
    if (!other.empty()) return other;
    return available;
}

void QuestionCoach::setActive(bool active) {
    if (active_ == active) return;
    active_ = active;
    // Plans made in coach mode end with it; what sounded meanwhile is unknown.
    chosen_ = false;
    firstAttempt_ = FirstAttempt::None;
    askAgain_.clear();
    held_.reset();
    lastClass_.reset();
    lastNote_.reset();
}

Note QuestionCoach::chooseNote(const std::vector<Note>& pool) {
    std::vector<int> available;
    for (Note note : pool) {
        if (!CoachListHolds(available, PitchClassOf(note))) available.push_back(PitchClassOf(note));
    }
    std::sort(available.begin(), available.end());
    const int pitchClass = chooseClass(available);

    std::vector<Note> notes;
    for (Note note : pool) {
        if (PitchClassOf(note) == pitchClass) notes.push_back(note);
    }
    if (lastNote_) {
        // An octave away where the range has such a note of this class;
        // otherwise as far as it allows.
        int farthest = 0;
        for (Note note : notes) farthest = std::max(farthest, std::abs(note - *lastNote_));
        const int needed = std::min(QuestionCoachRule::kFarSemitones, farthest);
        std::erase_if(notes, [&](Note note) { return std::abs(note - *lastNote_) < needed; });
    }
    const Note note = notes[random_.below(static_cast<int>(notes.size()))];

    lastClass_ = pitchClass;
    lastNote_ = note;
    askedClass_ = pitchClass;
    firstAttempt_ = FirstAttempt::Awaited;
    newQuestion();
    return note;
}

int QuestionCoach::choosePitchClass(const std::vector<int>& pitchClasses) {
    std::vector<int> available = pitchClasses;
    std::sort(available.begin(), available.end());
    const int pitchClass = chooseClass(available);
    // A Shepard tone sounds in every octave: only its class is a reference.
    lastClass_ = pitchClass;
    lastNote_.reset();
    firstAttempt_ = FirstAttempt::None;
    newQuestion();
    return pitchClass;
}

void QuestionCoach::chordDrawn() {
    ++questions_;
    lastClass_.reset();
    lastNote_.reset();
    firstAttempt_ = FirstAttempt::None;
    newQuestion();
}

void QuestionCoach::newQuestion() {
    chosen_ = true;
    level_ = random_.below(static_cast<int>(QuestionCoachRule::kLoudness.size()));
}

int QuestionCoach::chooseClass(const std::vector<int>& available) {
    ++questions_;
    const std::vector<int> allowed = ClassesAllowedAfter(available, lastClass_);
    if (const std::optional<int> again = takeDueAskAgain(available, allowed)) return *again;

    // A class the rules hold back comes as soon as they let it: they decide
    // when a class is asked, not how often (which would starve the classes
    // with ticked neighbours).
    if (held_ && !CoachListHolds(available, *held_)) held_.reset();
    if (held_ && CoachListHolds(allowed, *held_)) return *std::exchange(held_, std::nullopt);
    const int drawn = drawClass(available);
    if (CoachListHolds(allowed, drawn)) return drawn;
    if (!held_) held_ = drawn;
    return drawClass(allowed);
}

int QuestionCoach::drawClass(const std::vector<int>& among) {
    const std::vector<double> chance = chances(among);
    double drawn = random_.next();
    for (std::size_t i = 0; i + 1 < among.size(); ++i) {
        if (drawn < chance[i]) return among[i];
        drawn -= chance[i];
    }
    return among.back();
}

// The earliest miss due whose class may follow the last one; one that may
// not waits for the next question, one no longer ticked is dropped.
std::optional<int> QuestionCoach::takeDueAskAgain(const std::vector<int>& available,
                                                  const std::vector<int>& allowed) {
    std::erase_if(askAgain_, [&](const AskAgain& again) {
        return again.due <= questions_ && !CoachListHolds(available, again.pitchClass);
    });
    auto earliest = askAgain_.end();
    for (auto it = askAgain_.begin(); it != askAgain_.end(); ++it) {
        if (it->due > questions_ || !CoachListHolds(allowed, it->pitchClass)) continue;
        if (earliest == askAgain_.end() || it->due < earliest->due) earliest = it;
    }
    if (earliest == askAgain_.end()) return std::nullopt;
    const int pitchClass = earliest->pitchClass;
    askAgain_.erase(earliest);
    return pitchClass;
}

std::vector<double> QuestionCoach::chances(const std::vector<int>& allowed) const {
    std::vector<double> weights;
    double total = 0;
    for (int pitchClass : allowed) {
        weights.push_back(errorWeight(pitchClass));
        total += weights.back();
    }
    const double even = QuestionCoachRule::kEvenShare / static_cast<double>(allowed.size());
    for (double& weight : weights) {
        weight = even + (1 - QuestionCoachRule::kEvenShare) * weight / total;
    }
    return weights;
}

double QuestionCoach::errorWeight(int pitchClass) const {
    int attempts = 0;
    int wrong = 0;
    if (mastery_) {
        const PitchMastery mastery = mastery_->pitchClass(pitchClass);
        attempts = mastery.attempts;
        wrong = mastery.attempts - mastery.right;
    }
    const double rate =
        (wrong + QuestionCoachRule::kPriorErrorRate * QuestionCoachRule::kPriorAnswers) /
        (attempts + QuestionCoachRule::kPriorAnswers);
    return std::max(QuestionCoachRule::kErrorFloor, rate);
}

void QuestionCoach::answerRecorded(bool correct, bool replacesLast) {
    switch (firstAttempt_) {
        case FirstAttempt::None:
            return;
        case FirstAttempt::Awaited:
            firstAttempt_ = FirstAttempt::Recorded;
            if (!correct) missed();
            return;
        case FirstAttempt::Recorded:
            // A right first attempt that grew too long is a miss after all.
            if (!replacesLast) {
                firstAttempt_ = FirstAttempt::None;
            } else if (!correct) {
                missed();
            }
            return;
        case FirstAttempt::Missed:
            if (!replacesLast) firstAttempt_ = FirstAttempt::None;
            return;
    }
}

void QuestionCoach::missed() {
    firstAttempt_ = FirstAttempt::Missed;
    // The spacing starts again from the latest miss: a class missed often
    // does not pile up in the queue and crowd out the rest.
    std::erase_if(askAgain_,
                  [&](const AskAgain& again) { return again.pitchClass == askedClass_; });
    for (int after : QuestionCoachRule::kAskAgainAfter) {
        askAgain_.push_back({askedClass_, questions_ + after});
    }
}

}  // namespace velmora
