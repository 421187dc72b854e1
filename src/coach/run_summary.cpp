// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "coach/run_summary.h"

#include <algorithm>

namespace velmora {

namespace {

using Namings = std::array<std::array<int, kPitchClasses>, kPitchClasses>;

void CountNaming(Namings& namings, int note, int answered) {
    if (note < 0 || note > 127 || answered < 0 || answered >= kPitchClasses) return;
    ++namings[PitchClassOf(note)][answered];
}

// Every judged note: a single note or Shepard tone against the first name,
// a chord's tones against the names at their positions.
void CountNamings(Namings& namings, const JournalEntry& entry) {
    if (entry.notes.empty() || entry.answered.empty()) return;
    if (entry.shepard || entry.notes.size() == 1) {
        CountNaming(namings, entry.notes[0], entry.answered[0]);
        return;
    }
    const std::size_t judged = std::min(entry.notes.size(), entry.answered.size());
    for (std::size_t i = 0; i < judged; ++i)
        CountNaming(namings, entry.notes[i], entry.answered[i]);
}

}  // namespace

RunSummary SummariseRun(const std::vector<JournalEntry>& run, const PitchMasteries& before,
                        const PitchMasteries& after) {
    RunSummary summary;
    Namings namings{};
    int streak = 0;
    const JournalEntry* previous = nullptr;
    for (const JournalEntry& entry : run) {
        ++summary.answers;
        entry.correct ? ++summary.right : ++summary.wrong;
        streak = entry.correct ? streak + 1 : 0;
        summary.bestStreak = std::max(summary.bestStreak, streak);
        // After a wrong answer the same question is asked again.
        const bool askedAgain = previous && !previous->correct &&
                                previous->session == entry.session && previous->run == entry.run &&
                                previous->notes == entry.notes;
        if (!askedAgain) {
            ++summary.firstAttempts;
            summary.firstAttemptsRight += entry.correct;
        }
        CountNamings(namings, entry);
        previous = &entry;
    }
    for (int asked = 0; asked < kPitchClasses; ++asked) {
        for (int answered = 0; answered < kPitchClasses; ++answered) {
            if (asked != answered && namings[asked][answered] > summary.confusedTimes) {
                summary.confusedAsked = asked;
                summary.confusedAnswered = answered;
                summary.confusedTimes = namings[asked][answered];
            }
        }
    }
    for (int pc = 0; pc < kPitchClasses; ++pc) {
        if (before[pc].state != after[pc].state) {
            summary.changes.push_back({pc, before[pc].state, after[pc].state});
        }
    }
    return summary;
}

std::string MasteryChangeWords(const MasteryChange& change,
                               const std::array<std::string, kPitchClasses>& names) {
    if (change.pitchClass < 0 || change.pitchClass >= kPitchClasses) return {};
    const std::string& name = names[change.pitchClass];
    if (change.after == MasteryState::Mastered) return name + " is now mastered";
    if (change.before == MasteryState::Mastered) return name + " is no longer mastered";
    if (change.before == MasteryState::New && change.after == MasteryState::Learning) {
        return name + " is now being learned";
    }
    return {};
}

}  // namespace velmora
