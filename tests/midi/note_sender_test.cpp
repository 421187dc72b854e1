// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/note_sender.h"

#include <gtest/gtest.h>

#include "app/trainer_fixture.h"

namespace velmora::testing {
namespace {

using NoteSenderTest = TrainerTest;

TEST_F(NoteSenderTest, ProgramChangeWithNothingSelectedSelectsTheFirstInstrument) {
    Panel fresh;  // a list with no selection, wired like the trainer's
    TrainerState state;
    RecordingMidiOut out;
    state.midiOutHandle = &out;
    NoteSender output(fresh, state);
    fresh.cboInstrument.onClick = [&] { output.cboInstrument_Click(); };
    ASSERT_EQ(fresh.cboInstrument.listIndex(), -1);

    output.SendProgramChange(0);
    EXPECT_EQ(fresh.cboInstrument.listIndex(), 0);
    EXPECT_EQ(fresh.cboInstrument.toolTip(), "0");
    EXPECT_EQ(out.messages, std::vector<std::uint32_t>{ProgramChange(0)});
}

TEST_F(NoteSenderTest, NotesOutsideTheMidiRangeAreNeverSent) {
    trainer.noteSender().NoteOn(128, 0);
    trainer.noteSender().NoteOff(-1, 0);
    EXPECT_TRUE(device.messages.empty());
    trainer.noteSender().NoteOn(127, 0);
    trainer.noteSender().NoteOff(0, 0);
    EXPECT_EQ(device.messages, (std::vector<std::uint32_t>{NoteOnMsg(127), NoteOffMsg(0)}));
}

}  // namespace
}  // namespace velmora::testing
