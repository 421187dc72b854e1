// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "scoring/answer_journal.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "scoring/response_log.h"

namespace velmora {

int PitchClassOfName(std::string_view name) {
    static constexpr std::string_view kLetters = "CDEFGAB";
    static constexpr int kNaturals[] = {0, 2, 4, 5, 7, 9, 11};
    if (name.empty()) return -1;
    const auto letter = kLetters.find(name[0]);
    if (letter == std::string_view::npos) return -1;
    int pitchClass = kNaturals[letter];
    for (char accidental : name.substr(1)) {
        if (accidental == '#') {
            ++pitchClass;
        } else if (accidental == 'x') {
            pitchClass += 2;
        } else if (accidental == 'b') {
            --pitchClass;
        } else {
            return -1;
        }
    }
    return ((pitchClass % kPitchClasses) + kPitchClasses) % kPitchClasses;
}

std::vector<int> PitchClassesOfAnswer(std::string_view typed, std::size_t most) {
    std::vector<int> pitchClasses;
    for (std::size_t start = 0; start < typed.size() && pitchClasses.size() < most;) {
        std::size_t end = typed.find('-', start);
        if (end == std::string_view::npos) end = typed.size();
        pitchClasses.push_back(PitchClassOfName(typed.substr(start, end - start)));
        start = end + 1;
    }
    return pitchClasses;
}

void AnswerJournal::runStarted() {
    ++run_;
}

void AnswerJournal::questionSounding() {
    if (timedRun_ == run_ && timedQuestion_ == state_.questionNumber) return;
    timedRun_ = run_;
    timedQuestion_ = state_.questionNumber;
    soundedAt_ = scheduler_.now();
}

JournalEntry AnswerJournal::entryForLastRecord() const {
    JournalEntry entry;
    const UtcTime time = wallClock_.utcNow();
    entry.utcMilliseconds = time.milliseconds;
    entry.utcOffsetMinutes = time.offsetMinutes;
    entry.run = run_;
    entry.question = state_.questionNumber;
    entry.notes.assign(state_.questionNotes.begin(), state_.questionNotes.end());
    entry.questionText =
        RecordedQuestion(state_.questionText, panel_.chkExcludeExactOctave.checked());
    // The answer as shown: the names pressed, in order. Parsed by name rather
    // than by the buttons' captions, which a new key signature may have renamed.
    entry.answered = PitchClassesOfAnswer(panel_.lblNoteInput.caption());
    entry.verdict = panel_.lblResult.caption();
    entry.correct = entry.verdict == "Correct";
    entry.shepard = panel_.chkShepard.checked();
    entry.program = state_.instrumentProgram;
    entry.noteValue = panel_.lstDuration.text();
    entry.tempo = state_.tempo;
    entry.keySignature = panel_.lstKeySignature.text();
    entry.coachChose = state_.questionChosenByCoach;
    entry.earCleared = state_.earClearedBeforeQuestion;
    if (timedRun_ == run_ && timedQuestion_ == state_.questionNumber) {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(scheduler_.now() - soundedAt_);
        entry.responseMilliseconds =
            static_cast<int>(std::min<std::int64_t>(elapsed.count(), INT32_MAX));
    }
    return entry;
}

void AnswerJournal::recorded(bool replacesLast) {
    if (!journal_) return;
    const JournalEntry entry = entryForLastRecord();
    if (replacesLast) {
        journal_->replaceLast(entry);
    } else {
        journal_->record(entry);
    }
}

}  // namespace velmora
