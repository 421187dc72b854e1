// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <string>
#include <vector>

#include "app/trainer_fixture.h"

namespace velmora::testing {

// A trainer in a run whose questions the test chooses.
class RunTest : public TrainerTest {
protected:
    static constexpr double kWholeNoteMs = 4000;  // tempo 60, "Whole"

    // Replaces the question being asked, as a fresh draw would have made it.
    void pose(std::vector<Note> notes) {
        state().questionNotes = std::move(notes);
        state().questionText.clear();
        for (Note note : state().questionNotes) {
            if (!state().questionText.empty()) state().questionText += "-";
            state().questionText += trainer.spelling().NoteLabel(note);
        }
        state().answerIndex = -1;
        panel().lblNoteInput.setCaption("");
        panel().lblResult.setCaption("");
    }
    void press(std::initializer_list<int> pitchClasses) {
        for (int i : pitchClasses) panel().cmdAnswerButton[i].click();
    }
    void type(const std::string& keys) {
        for (char key : keys) {
            if (auto* button = dynamic_cast<Button*>(panel().focus().current())) {
                button->keyPress(key);
            }
        }
    }
    // Lets the current playback end, and the run decide and play again.
    void finishPlayback() { clock.advanceBy(Ms(kWholeNoteMs)); }
    std::vector<std::string> stats() { return panel().lstStats.items(); }
    int noteOns() {
        int count = 0;
        for (auto message : device.messages) count += (StatusOf(message) & 0xF0) == kNoteOnStatus;
        return count;
    }
};

}  // namespace velmora::testing
