// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "questions/question_generator.h"

#include <algorithm>
#include <string>

namespace velmora {

namespace {
constexpr int kChordAttempts = 10;
}

std::vector<Note> RemoveDuplicates(const std::vector<Note>& notes) {
    std::vector<Note> result;
    for (Note note : notes) {
        if (std::find(result.begin(), result.end(), note) == result.end()) result.push_back(note);
    }
    return result;
}

void ShowQuestionPrompt(Panel& panel, TrainerState& state) {
    panel.lblNoteInput.setCaption("");
    panel.lblResult.setBackColor(kPromptBackground);
    const bool oneNote = panel.chkShepard.checked() || state.questionNotes.size() == 1;
    panel.lblResult.setCaption(oneNote ? kSingleNotePrompt : kChordPrompt);
    state.answerIndex = -1;
}

std::vector<int> QuestionGenerator::checkedPitchClasses() const {
    std::vector<int> pitchClasses;
    for (int pitchClass = 0; pitchClass < panel_.lstPitch.count(); ++pitchClass) {
        if (panel_.lstPitch.selected(pitchClass)) pitchClasses.push_back(pitchClass);
    }
    return pitchClasses;
}

bool QuestionGenerator::canDraw() const {
    if (!panel_.chkShepard.checked()) return !state_.candidateNotes.empty();
    // A Shepard question needs every checked pitch class to sound somewhere in the range.
    for (int pitchClass : checkedPitchClasses()) {
        bool found = false;
        for (int note = state_.noteRangeLow; note <= state_.noteRangeHigh && !found; ++note) {
            found = PitchClassOf(note) == pitchClass;
        }
        if (!found) return false;
    }
    return !checkedPitchClasses().empty();
}

bool QuestionGenerator::NewQuestion() {
    if (!canDraw()) return false;

    ++state_.questionNumber;
    panel_.lblQuestionNumber.setCaption("Q # " + std::to_string(state_.questionNumber));
    state_.questionText.clear();
    random_.reseed();

    // With the coach off nothing of it is asked, so the draws are as always.
    const bool coached = coach_ && coach_->active();
    state_.questionChosenByCoach = coached;
    if (panel_.chkShepard.checked()) {
        drawShepard(coached);
    } else {
        drawChord(coached);
    }

    ShowQuestionPrompt(panel_, state_);
    return true;
}

void QuestionGenerator::drawChord(bool coached) {
    const std::vector<Note>& pool = state_.candidateNotes;
    const int poolSize = static_cast<int>(pool.size());
    const int minTones = selection_.minChordTones();
    const int maxTones = selection_.maxChordTones();
    const int size = static_cast<int>((maxTones - minTones + 1) * random_.next() + minTones);

    if (size <= 1) {
        state_.questionNotes = {coached ? coach_->chooseNote(pool) : pool[random_.below(poolSize)]};
    } else {
        for (int attempt = 1; attempt <= kChordAttempts; ++attempt) {
            std::vector<Note> drawn;
            for (int i = 0; i < size; ++i) drawn.push_back(pool[random_.below(poolSize)]);
            state_.questionNotes = RemoveDuplicates(drawn);
            if (static_cast<int>(state_.questionNotes.size()) >= minTones) break;
        }
        SortAscending(state_.questionNotes);
        if (coached) coach_->chordDrawn();
    }

    for (std::size_t i = 0; i < state_.questionNotes.size(); ++i) {
        if (i > 0) state_.questionText += "-";
        state_.questionText += spelling_.NoteLabel(state_.questionNotes[i]);
    }
}

void QuestionGenerator::drawShepard(bool coached) {
    state_.shepardPitchClasses.clear();
    const std::vector<int> checked = checkedPitchClasses();
    for (int pitchClass : checked) {
        state_.shepardPitchClasses.push_back(static_cast<std::int16_t>(pitchClass));
    }
    const int drawn = coached ? coach_->choosePitchClass(checked)
                              : state_.shepardPitchClasses[random_.below(
                                    static_cast<int>(state_.shepardPitchClasses.size()))];

    state_.questionNotes.clear();
    for (int note = state_.noteRangeLow; note <= state_.noteRangeHigh; ++note) {
        if (PitchClassOf(note) == drawn) state_.questionNotes.push_back(static_cast<Note>(note));
    }
    state_.questionText = state_.pitchNames[drawn];
    state_.shepardPitchClass = static_cast<std::int16_t>(drawn);
}

}  // namespace velmora
