// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "midi/messages.h"
#include "testing/trainer_rig.h"

namespace velmora::testing {

inline std::uint32_t ProgramChange(int program) {
    return ComposeShortMessage(kProgramChangeStatus, 0, program, 0);
}
inline std::uint32_t NoteOnMsg(int note) {
    return ComposeShortMessage(kNoteOnStatus, 0, note, 127);
}
inline std::uint32_t NoteOffMsg(int note) {
    return ComposeShortMessage(kNoteOffStatus, 0, note, 0);
}

inline Nanos Ms(double milliseconds) {
    return Nanos(static_cast<Nanos::rep>(milliseconds * 1e6));
}

// A trainer as a user finds it after start-up, on the rig's fakes: the same
// draws every time, and a day that starts at 9:00 on the test's clock.
class TrainerTest : public ::testing::Test, protected TrainerRig {
protected:
    TrainerTest() : TrainerRig({.seed = 20261206, .startTime = TimeOfDay{9, 0, 0}}) {}
    void SetUp() override { trainer.Form_Load(); }

    Panel& panel() { return trainer.panel(); }
    TrainerState& state() { return trainer.state(); }

    // Exactly these pitch classes checked, one click per change.
    void checkOnly(std::initializer_list<int> pitchClasses) {
        for (int i = 0; i < kPitchClasses; ++i) panel().lstPitch.setSelected(i, false);
        for (int i : pitchClasses) panel().lstPitch.setSelected(i, true);
    }
    void setRange(int low, int high) {
        panel().vsbNoteRange[0].setValue(low);
        panel().vsbNoteRange[1].setValue(high);
    }
};

}  // namespace velmora::testing
