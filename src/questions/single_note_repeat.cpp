// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "questions/single_note_repeat.h"

namespace velmora {

namespace {
constexpr int kQuarterNoteIndex = 2;
constexpr int kInstruments = 128;
constexpr int kHearingsPerOctave = 4;
}  // namespace

void SingleNoteRepeat::pic_Repeat_1_Note_Click() {
    if (state_.exerciseRunning) return;
    int pitchClass = -1;
    int checked = 0;
    for (int i = 0; i < panel_.lstPitch.count(); ++i) {
        if (panel_.lstPitch.selected(i)) {
            pitchClass = i;
            ++checked;
        }
    }
    if (checked != 1) return;
    std::vector<Note> notes;
    for (int note = state_.noteRangeLow; note <= state_.noteRangeHigh; ++note) {
        if (PitchClassOf(note) == pitchClass) notes.push_back(static_cast<Note>(note));
    }
    // No note of that pitch class in the range: nothing to play, so nothing changes.
    if (notes.empty()) return;

    state_.repeatActive = true;
    panel_.lstDuration.setListIndex(kQuarterNoteIndex);
    repeatNotes_ = std::move(notes);
    repeatCounter_ = 0;
    state_.exerciseRunning = true;
    random_.reseed();
    nextNote();
}

void SingleNoteRepeat::nextNote() {
    if (!state_.exerciseRunning) return;
    ++repeatCounter_;
    if (repeatCounter_ == 1) {
        currentNote_ = repeatNotes_[random_.below(static_cast<int>(repeatNotes_.size()))];
    }
    panel_.cboInstrument.setListIndex(random_.below(kInstruments));
    playback_.PlayNote(currentNote_, [this] {
        if (repeatCounter_ == kHearingsPerOctave) repeatCounter_ = 0;
        nextNote();
    });
}

}  // namespace velmora
