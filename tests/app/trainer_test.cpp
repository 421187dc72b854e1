// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "app/trainer.h"

#include <gtest/gtest.h>

#include "app/trainer_fixture.h"

namespace velmora::testing {
namespace {

using StartUp = TrainerTest;

// The choices a user finds on opening; tempo is set even though its bar
// already holds 60.
TEST_F(StartUp, LeavesTheTrainerIdleWithTheStartValues) {
    // The checked pitches, key and note value shown: PitchSelection and MainWindow tests.
    EXPECT_EQ(state().tempo, 60);
    EXPECT_EQ(state().answerIndex, -1) << "no answer begun";
    EXPECT_FALSE(panel().ListView1.options().hideSelection);
    EXPECT_EQ(state().midiOutHandle, &device);
    EXPECT_EQ(panel().cboInstrument.toolTip(), "0") << "the first instrument chosen";
    EXPECT_TRUE(device.messages.empty()) << "start-up makes no sound";
    EXPECT_EQ(clock.pendingTimers(), 0u);
}

TEST(Shutdown, ReleasesWhatSoundsAndClosesTheDeviceOnce) {
    RecordingMidiOut device;  // outlives the trainer
    {
        TrainerRig rig({.output = &device});
        Trainer& trainer = rig.trainer;
        trainer.Form_Load();
        trainer.state().questionNotes = {60, 64, 67};
        trainer.playback().PlayQuestion(nullptr);
        ASSERT_EQ(device.sounding.size(), 3u);
        trainer.Form_Unload();
        EXPECT_TRUE(device.sounding.empty());
        EXPECT_EQ(trainer.state().midiOutHandle, nullptr);
        rig.clock.advanceBy(Ms(60000));
        trainer.noteSender().NoteOn(60, 0);  // nothing reaches a closed device, even when asked
    }                                        // the trainer's end must not close it again
    EXPECT_EQ(device.sentWhileClosed, 0);
    EXPECT_EQ(device.closeCount, 1);
}

}  // namespace
}  // namespace velmora::testing
