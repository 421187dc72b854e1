// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "scoring/answer_entry.h"

#include <cctype>
#include <cstdint>
#include <limits>

namespace velmora {

int PitchClassOfKey(int characterCode) {
    if (characterCode < 0 || characterCode > 127) return -1;
    const char letter = static_cast<char>(std::toupper(characterCode));
    for (int pitchClass = 0; pitchClass < kPitchClasses; ++pitchClass) {
        if (kShortcutKeyLetters[pitchClass][0] == letter) return pitchClass;
    }
    return -1;
}

void AnswerEntry::cmdAnswerButton_KeyPress(int /*index*/, int characterCode) {
    const int pitchClass = PitchClassOfKey(characterCode);
    if (pitchClass >= 0) cmdAnswerButton_Click(pitchClass);
}

void AnswerEntry::keyboardNoteOn(int note) {
    if (note >= 0) cmdAnswerButton_Click(PitchClassOf(note));
}

void AnswerEntry::cmdAnswerButton_Click(int index) {
    if (!state_.exerciseRunning || state_.repeatActive) return;
    if (index < 0 || index >= kPitchClasses) return;

    const std::string& name = panel_.cmdAnswerButton[index].caption();
    const std::string& typed = panel_.lblNoteInput.caption();
    panel_.lblNoteInput.setCaption(typed.empty() ? name : typed + "-" + name);

    if (panel_.chkShepard.checked()) {
        gradeShepard(index);
    } else {
        gradeChord(index);
    }
    panel_.cmdAnswerButton[index].setFocus();
}

void AnswerEntry::gradeShepard(int index) {
    ++state_.answerIndex;
    state_.answerNotes = {static_cast<Note>(index)};
    giveVerdict(index == state_.shepardPitchClass, /*colourWrong=*/false);
}

void AnswerEntry::gradeChord(int index) {
    const int last = static_cast<int>(state_.questionNotes.size()) - 1;
    // Every press past the end stands at one position, so a held-down key
    // cannot run the 16-bit index round.
    if (state_.answerIndex <= last) ++state_.answerIndex;
    const int position = state_.answerIndex;
    state_.answerNotes.resize(position + 1);
    if (position <= last) {
        const Note asked = state_.questionNotes[position];
        state_.answerNotes[position] = PitchClassOf(asked) == index ? asked : Note{-1};
    } else {
        state_.answerNotes[position] = -1;
    }

    if (position < last) return;  // nothing shown until the answer is complete

    if (position == last) {
        state_.matchCount = 0;
        state_.mismatchCount = 0;
        for (int k = 0; k <= last; ++k) {
            if (state_.answerNotes[k] == state_.questionNotes[k]) {
                ++state_.matchCount;
            } else {
                ++state_.mismatchCount;
            }
        }
    } else {
        // Longer than the question: this attempt's record and count are
        // replaced, and it can only be wrong now.
        log_.WithdrawLastRecord();
        const std::string& shown = panel_.lblResult.caption();
        if (shown == "Correct") --state_.rightCount;
        if (shown == "Incorrect") --state_.wrongCount;
        if (state_.mismatchCount < std::numeric_limits<std::int16_t>::max()) {
            ++state_.mismatchCount;
        }
    }
    giveVerdict(state_.matchCount == last + 1 && state_.mismatchCount == 0,
                /*colourWrong=*/true);
}

void AnswerEntry::giveVerdict(bool correct, bool colourWrong) {
    if (correct) {
        panel_.lblResult.setCaption("Correct");
        panel_.lblResult.setBackColor(kCorrectBackground);
        ++state_.rightCount;
    } else {
        panel_.lblResult.setCaption("Incorrect");
        if (colourWrong) panel_.lblResult.setBackColor(kIncorrectBackground);
        beeper_.Beep(kBeepFrequencyHz, kBeepDurationMs);
        ++state_.wrongCount;
    }
    log_.RecordAnswer();
    // A full log ends the run as a used-up practice time does, rather than
    // let the 16-bit counts wrap round to negative.
    if (log_.full()) {
        state_.exerciseRunning = false;
        panel_.Timer1.setEnabled(false);
    }
}

void AnswerEntry::cmdEraseAnswer_Click() {
    panel_.lblNoteInput.setCaption("");
    panel_.lblResult.setCaption("");
    state_.answerIndex = -1;
    if (focusFirstAnswerButton_) focusFirstAnswerButton_();
}

}  // namespace velmora
