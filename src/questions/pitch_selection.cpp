// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "questions/pitch_selection.h"

#include <algorithm>
#include <string>

namespace velmora {

// Piano, 6- and 7-string guitar, 4- and 5-string bass, with a matching instrument.
const std::array<RangePreset, 5> kRangePresets = {{
    {21, 108, 0},
    {40, 88, 25},
    {35, 88, 30},
    {28, 67, 33},
    {23, 67, 33},
}};

void SortAscending(std::vector<Note>& notes) {
    std::sort(notes.begin(), notes.end());
}

void PitchSelection::RefreshSelectionLimits() {
    state_.noteRangeLow = static_cast<Note>(panel_.vsbNoteRange[0].value());
    state_.noteRangeHigh = static_cast<Note>(panel_.vsbNoteRange[1].value());

    // The pool always matches the settings, even when that leaves it empty:
    // stale notes would bring back pitch classes the user has just unchecked.
    std::vector<Note> pool;
    for (int pitchClass = 0; pitchClass < panel_.lstPitch.count(); ++pitchClass) {
        const bool checked = panel_.lstPitch.selected(pitchClass);
        panel_.cmdAnswerButton[pitchClass].setEnabled(checked);
        if (!checked) continue;
        for (int note = state_.noteRangeLow; note <= state_.noteRangeHigh; ++note) {
            if (PitchClassOf(note) == pitchClass) pool.push_back(static_cast<Note>(note));
        }
    }
    SortAscending(pool);
    state_.candidateNotes = std::move(pool);

    // An empty pool is refused where questions are drawn, and it is often only
    // a passing moment (an exercise unchecks everything before checking its
    // own pitch classes): the cap moves only when there is a pool to cap to,
    // so the chord-tone settings survive it.
    if (state_.candidateNotes.empty()) return;
    const int cap = std::min(static_cast<int>(state_.candidateNotes.size()), kMaxChordTones);
    panel_.vsbMaximum.setMaximum(cap);
    panel_.vsbMinimum.setMaximum(cap);
}

void PitchSelection::lstPitch_Click() {
    state_.exerciseRunning = false;
    state_.repeatActive = false;
    RefreshSelectionLimits();
}

void PitchSelection::vsbNoteRange_Change(int index) {
    const int value = panel_.vsbNoteRange[index].value();
    panel_.lblNoteRange[index].setCaption(spelling_.NoteLabel(value));
    panel_.lblNoteRange[index].setToolTip(std::to_string(value));
    state_.noteRangeLow = static_cast<Note>(panel_.vsbNoteRange[0].value());
    state_.noteRangeHigh = static_cast<Note>(panel_.vsbNoteRange[1].value());
}

void PitchSelection::lblNoteRange_Change(int /*index*/) {
    RefreshSelectionLimits();
}

void PitchSelection::vsbMinimum_Change() {
    panel_.vsbMaximum.setMinimum(panel_.vsbMinimum.value());
    panel_.lblMinimum.setCaption(std::to_string(panel_.vsbMinimum.value()));
}

void PitchSelection::vsbMaximum_Change() {
    panel_.lblMaximum.setCaption(std::to_string(panel_.vsbMaximum.value()));
    panel_.cmdEraseAnswer.setEnabled(panel_.vsbMaximum.value() >= 2);
}

void PitchSelection::mnuSetRange_Click(int index) {
    if (index < 0 || index >= static_cast<int>(kRangePresets.size())) return;
    const RangePreset& preset = kRangePresets[index];
    panel_.vsbNoteRange[0].setValue(preset.lowest);
    panel_.vsbNoteRange[1].setValue(preset.highest);
    panel_.cboInstrument.setListIndex(preset.instrument);
}

}  // namespace velmora
