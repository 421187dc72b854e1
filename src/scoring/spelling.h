// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <string>
#include <string_view>

#include "model/panel.h"
#include "model/trainer_state.h"

namespace velmora {

// How each pitch class is named (C to B) under each key signature of the
// list, by list index. Written out, not derived: the keys differ in ways a
// rule would not give (F# major names D "Cx").
extern const std::array<std::array<std::string_view, kPitchClasses>, 12> kSpellingTable;

// A note number as its pitch name in `pitchNames` and its octave: 60 is C4.
// The octave follows the number alone, so B#4 is 60 and Cb3 is 59.
std::string NoteLabel(int note, const std::array<std::string, kPitchClasses>& pitchNames);

// Names every pitch class on the answer buttons, the pitch list and the
// shortcut menu for the key signature chosen.
class Spelling {
public:
    Spelling(Panel& panel, TrainerState& state) : panel_(panel), state_(state) {}

    void lstKeySignature_Click();
    std::string NoteLabel(int note) const { return velmora::NoteLabel(note, state_.pitchNames); }

private:
    Panel& panel_;
    TrainerState& state_;
};

}  // namespace velmora
