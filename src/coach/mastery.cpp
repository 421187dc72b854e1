// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "coach/mastery.h"

#include <algorithm>

#include "model/exercise_table.h"
#include "progress/progress_statistics.h"

namespace velmora {

namespace {

bool Quick(int milliseconds) {
    return milliseconds >= 0 && milliseconds <= MasteryRule::kMedianMilliseconds;
}

}  // namespace

int PitchMastery::rightAnswersToMark() const {
    if (right >= MasteryRule::kRightToMaster) return 0;
    // The oldest attempts drop out as right ones come in; which ones leave
    // decides how many are needed.
    for (int more = 1; more < MasteryRule::kRightToMaster; ++more) {
        const int kept = std::clamp(MasteryRule::kWindow - more, 0, attempts);
        int rightLeaving = 0;
        for (int i = 0; i < attempts - kept; ++i) rightLeaving += (wrongInWindow >> i & 1u) == 0;
        if (right - rightLeaving + more >= MasteryRule::kRightToMaster) return more;
    }
    return MasteryRule::kRightToMaster;
}

bool MasteryTracker::holds(const ClassState& state) {
    // The lower middle time is within the mark exactly when more than half
    // of the timed answers, rounded down, are.
    return state.right >= MasteryRule::kRightToMaster && state.timed > 0 &&
           state.quick >= (state.timed - 1) / 2 + 1;
}

int MasteryTracker::median(const ClassState& state) {
    std::array<int, MasteryRule::kWindow> times{};
    int timed = 0;
    for (int i = 0; i < state.count; ++i) {
        if (state.window[i].milliseconds >= 0) times[timed++] = state.window[i].milliseconds;
    }
    if (timed == 0) return -1;
    const auto middle = times.begin() + (timed - 1) / 2;
    std::nth_element(times.begin(), middle, times.begin() + timed);
    return *middle;
}

void MasteryTracker::add(const JournalEntry& entry) {
    // The answer before becomes the undo; its storage is reused for this one.
    std::swap(last_, undoLast_);
    undoable_ = true;
    apply(entry);
}

void MasteryTracker::replaceLast(const JournalEntry& entry) {
    if (!undoable_) {
        add(entry);
        return;
    }
    if (undoPitchClass_ >= 0) classes_[undoPitchClass_] = *undoClass_;
    apply(entry);
}

// Takes in `entry` after the answer in `undoLast_`.
void MasteryTracker::apply(const JournalEntry& entry) {
    const std::optional<LastAnswer>& previous = undoLast_;
    const bool askedAgain = previous && previous->wrong && previous->session == entry.session &&
                            previous->run == entry.run && previous->notes == entry.notes;
    if (!last_) last_ = LastAnswer{0, 0, false, {}};
    last_->session = entry.session;
    last_->run = entry.run;
    last_->wrong = !entry.correct;
    // Only a question answered wrongly is asked again: right ones need no notes kept.
    if (last_->wrong) last_->notes = entry.notes;
    undoPitchClass_ = -1;

    if (askedAgain || entry.notes.size() != 1 || entry.shepard) return;
    const int note = entry.notes[0];
    if (note < 0 || note > 127) return;
    const int pitchClass = PitchClassOf(note);
    ClassState& state = classes_[pitchClass];
    undoPitchClass_ = pitchClass;
    undoClass_ = state;

    // A new day closes the one before, as the mark stood at its end.
    const int day = LocalDay(entry.utcMilliseconds, entry.utcOffsetMinutes);
    if (state.count > 0 && day != state.lastDay && state.holding) ++state.closedDays;
    state.lastDay = day;

    Attempt& slot = state.window[state.next];
    if (state.count == MasteryRule::kWindow) {
        state.right -= slot.right;
        state.timed -= slot.milliseconds >= 0;
        state.quick -= Quick(slot.milliseconds);
    } else {
        ++state.count;
    }
    slot = {entry.correct, std::max(-1, entry.responseMilliseconds)};
    state.right += slot.right;
    state.timed += slot.milliseconds >= 0;
    state.quick += Quick(slot.milliseconds);
    state.next = (state.next + 1) % MasteryRule::kWindow;

    state.holding = holds(state);
    if (state.holding && state.closedDays + 1 >= MasteryRule::kDays) state.mastered = true;
    if (state.mastered && state.right < MasteryRule::kRightToKeep) {
        state.mastered = false;
        state.closedDays = 0;
    }
}

PitchMastery MasteryTracker::pitchClass(int pitchClass) const {
    PitchMastery mastery;
    if (pitchClass < 0 || pitchClass >= kPitchClasses) return mastery;
    const ClassState& state = classes_[pitchClass];
    if (state.count == 0) return mastery;
    mastery.state = state.mastered ? MasteryState::Mastered : MasteryState::Learning;
    mastery.attempts = state.count;
    mastery.right = state.right;
    mastery.medianMilliseconds = median(state);
    mastery.holdsNow = state.holding;
    mastery.days = state.closedDays + (state.holding ? 1 : 0);
    // Until the ring is full its oldest attempt is at 0.
    const int oldest = state.count == MasteryRule::kWindow ? state.next : 0;
    for (int i = 0; i < state.count; ++i) {
        if (!state.window[(oldest + i) % MasteryRule::kWindow].right) {
            mastery.wrongInWindow |= 1u << i;
        }
    }
    return mastery;
}

PitchMasteries MasteryTracker::all() const {
    PitchMasteries masteries;
    for (int pc = 0; pc < kPitchClasses; ++pc) masteries[pc] = pitchClass(pc);
    return masteries;
}

bool MasteryTracker::exerciseMastered(int exercise) const {
    if (exercise < 0 || exercise >= static_cast<int>(kExercises.size())) return false;
    const std::string_view mask = kExercises[exercise].mask;
    for (int pc = 0; pc < kPitchClasses && pc < static_cast<int>(mask.size()); ++pc) {
        if (mask[pc] == '1' && !classes_[pc].mastered) return false;
    }
    return true;
}

std::optional<int> MasteryTracker::currentExercise(ExerciseSeries series) const {
    constexpr int kPerSeries = static_cast<int>(kExercises.size()) / 2;
    const int first = series == ExerciseSeries::Diminished ? 0 : kPerSeries;
    for (int exercise = first; exercise < first + kPerSeries; ++exercise) {
        if (!exerciseMastered(exercise)) return exercise;
    }
    return std::nullopt;
}

}  // namespace velmora
