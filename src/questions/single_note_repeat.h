// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <vector>

#include "midi/playback.h"
#include "model/panel.h"
#include "model/trainer_state.h"
#include "ports/random.h"

namespace velmora {

// The listening drill: one checked pitch class played over and over, each
// octave drawn from the range heard four times, every note on a freshly drawn
// instrument, until STOP or a change of the pitches. Nothing is graded.
class SingleNoteRepeat {
public:
    SingleNoteRepeat(Panel& panel, TrainerState& state, Playback& playback, Random& random)
        : panel_(panel), state_(state), playback_(playback), random_(random) {}

    void pic_Repeat_1_Note_Click();

private:
    void nextNote();

    Panel& panel_;
    TrainerState& state_;
    Playback& playback_;
    Random& random_;
    std::vector<Note> repeatNotes_;
    Note currentNote_ = 0;
    int repeatCounter_ = 0;
};

}  // namespace velmora
