// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <vector>

#include "model/panel.h"
#include "model/trainer_state.h"
#include "scoring/spelling.h"

namespace velmora {

inline constexpr int kMaxChordTones = 10;

// Sorts ascending in place.
void SortAscending(std::vector<Note>& notes);

// Which notes a question may use: the checked pitch classes within the note
// range (the candidate pool), and the chord-tone limits that the pool allows.
class PitchSelection {
public:
    PitchSelection(Panel& panel, TrainerState& state, const Spelling& spelling)
        : panel_(panel), state_(state), spelling_(spelling) {}

    void RefreshSelectionLimits();
    void lstPitch_Click();
    void vsbNoteRange_Change(int index);
    void lblNoteRange_Change(int index);
    void vsbMinimum_Change();
    void vsbMaximum_Change();
    void mnuSetRange_Click(int index);

    int minChordTones() const { return panel_.vsbMinimum.value(); }
    int maxChordTones() const { return panel_.vsbMaximum.value(); }

private:
    Panel& panel_;
    TrainerState& state_;
    const Spelling& spelling_;
};

struct RangePreset {
    Note lowest;
    Note highest;
    int instrument;
};
extern const std::array<RangePreset, 5> kRangePresets;

}  // namespace velmora
