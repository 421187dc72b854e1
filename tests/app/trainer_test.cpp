#include "app/trainer.h"

#include <gtest/gtest.h>

#include "app/trainer_fixture.h"

namespace velmora::testing {
namespace {

using StartUp = TrainerTest;

TEST_F(StartUp, LeavesTheTrainerIdleWithTheStartValues) {
    EXPECT_EQ(panel().lstKeySignature.listIndex(), 5);
    for (int i = 0; i < kPitchClasses; ++i) {
        EXPECT_EQ(panel().lstPitch.selected(i), i == 3 || i == 6) << i;
    }
    EXPECT_EQ(panel().cboInstrument.listIndex(), 0);
    EXPECT_EQ(panel().cboInstrument.count(), 128);
    EXPECT_EQ(panel().lstDuration.items(),
              (std::vector<std::string>{"Whole", "Half", "Quarter", "8th", "16th"}));
    EXPECT_EQ(panel().lstDuration.text(), "Whole");
    EXPECT_EQ(state().notesPerBeat, 0.25f);
    EXPECT_EQ(state().tempo, 60);
    EXPECT_EQ(panel().lblTempo.caption(), "60");
    EXPECT_EQ(state().answerIndex, -1);
    EXPECT_EQ(state().noteVelocity, 127);
    EXPECT_EQ(state().noteOffset, 0);
    EXPECT_EQ(state().shortcutKeys[0], "C");
    EXPECT_EQ(state().shortcutKeys[1], "V");
    EXPECT_EQ(state().shortcutKeys[11], "B");
    EXPECT_FALSE(state().exerciseRunning);
    EXPECT_EQ(state().responseLogLast, -1);
    EXPECT_EQ(state().midiOutHandle, &device);
    EXPECT_EQ(device.openCount, 1);
    EXPECT_TRUE(device.messages.empty()) << "start-up makes no sound";
    EXPECT_EQ(clock.pendingTimers(), 0u);
    EXPECT_FALSE(panel().Timer1.enabled());
}

TEST_F(StartUp, ResultsTableHasItsFourColumnsAndNoRows) {
    const std::vector<ListView::Column> columns = {
        {"###", 700}, {"Question", 1000}, {"My Answer", 1000}, {"Result", 1000}};
    EXPECT_EQ(panel().ListView1.columns(), columns);
    EXPECT_TRUE(panel().ListView1.rows().empty());
    EXPECT_TRUE(panel().ListView1.options().reportView);
    EXPECT_TRUE(panel().ListView1.options().singleSelect);
    EXPECT_FALSE(panel().ListView1.options().hideSelection);
}

TEST(Shutdown, ClosingRightAfterStartUpClosesTheDeviceOnce) {
    RecordingMidiOut device;
    ManualScheduler clock;
    CountingBeeper beeper;
    {
        Trainer trainer(device, clock, beeper);
        trainer.Form_Load();
        trainer.Form_Unload();
        EXPECT_EQ(trainer.state().midiOutHandle, nullptr);
    }  // the trainer's end must not close it again
    EXPECT_EQ(device.closeCount, 1);
    EXPECT_TRUE(device.messages.empty());
}

TEST_F(StartUp, ClosingWhileNotesSoundReleasesThemBeforeTheDeviceCloses) {
    state().questionNotes = {60, 64, 67};
    trainer.playback().PlayQuestion(nullptr);
    ASSERT_EQ(device.sounding.size(), 3u);

    trainer.Form_Unload();
    EXPECT_TRUE(device.sounding.empty());
    EXPECT_EQ(device.sentWhileClosed, 0);
    clock.advanceBy(Ms(60000));
    EXPECT_EQ(device.sentWhileClosed, 0);
    // Nothing reaches a closed device, even when asked.
    trainer.noteSender().NoteOn(60, 0);
    EXPECT_EQ(device.sentWhileClosed, 0);
    EXPECT_EQ(device.closeCount, 1);
}

TEST(StartUpTempo, SetsTheTempoEvenWhenTheBarAlreadyHoldsIt) {
    RecordingMidiOut device;
    ManualScheduler clock;
    CountingBeeper beeper;
    Trainer trainer(device, clock, beeper);
    ASSERT_EQ(trainer.panel().vsbTempo.value(), 60);
    ASSERT_EQ(trainer.state().tempo, 0);
    trainer.Form_Load();
    EXPECT_EQ(trainer.state().tempo, 60);
}

}  // namespace
}  // namespace velmora::testing
