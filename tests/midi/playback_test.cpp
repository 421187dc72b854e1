// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/playback.h"

#include <gtest/gtest.h>

#include "app/trainer_fixture.h"

namespace velmora::testing {
namespace {

// The played durations of three of them are checked by NotesSoundForExactlyOneNoteDuration.
TEST(Pacing, NoteDurationForEveryNoteValue) {
    EXPECT_DOUBLE_EQ(NoteDurationMs(60, NotesPerBeatForIndex(1)), 2000.0);
    EXPECT_DOUBLE_EQ(NoteDurationMs(60, NotesPerBeatForIndex(3)), 500.0);
    EXPECT_DOUBLE_EQ(NoteDurationMs(20, NotesPerBeatForIndex(0)), 12000.0);
    // Unset pacing never divides by zero.
    EXPECT_EQ(NoteDurationMs(0, 1.0), 0.0);
    EXPECT_EQ(NotesPerBeatForIndex(-1), 0.0f);
    EXPECT_EQ(NotesPerBeatForIndex(5), 0.0f);
}

class PlaybackTest : public TrainerTest {
protected:
    void play(std::vector<Note> notes) {
        state().questionNotes = std::move(notes);
        device.clear();
        released = 0;
        trainer.playback().PlayQuestion([this] { ++released; });
    }
    void setPace(int tempo, int durationIndex) {
        panel().vsbTempo.setValue(tempo);
        panel().lstDuration.setListIndex(durationIndex);
    }
    // Not yet released after `before`, released once `last` more has passed.
    void expectReleasedAfter(Nanos before, Nanos last) {
        clock.advanceBy(before);
        EXPECT_EQ(released, 0);
        clock.advanceBy(last);
        EXPECT_EQ(released, 1);
    }
    int released = 0;
};

TEST_F(PlaybackTest, NotesSoundForExactlyOneNoteDuration) {
    struct Case {
        int tempo, durationIndex;
        double ms;
    };
    // The tempo bar ends at 240.
    for (const Case& c : {Case{60, 0, 4000}, Case{120, 2, 500}, Case{500, 4, 62.5}}) {
        SCOPED_TRACE(c.ms);
        setPace(c.tempo, c.durationIndex);
        play({60});
        EXPECT_EQ(panel().lblQuestionNumber.caption(), "Q # 0");
        clock.advanceBy(Ms(c.ms) - Nanos(1));
        EXPECT_EQ(released, 0);
        EXPECT_EQ(device.sounding.size(), 1u);
        clock.advanceBy(Nanos(1));
        EXPECT_EQ(released, 1);
        EXPECT_TRUE(device.sounding.empty());
        EXPECT_EQ(panel().lblQuestionNumber.caption(), "");
    }
}

TEST_F(PlaybackTest, TempoChangeDuringTheWaitTakesEffectAtOnce) {
    setPace(60, 2);  // 1000 ms
    play({60});
    clock.advanceBy(Ms(400));
    panel().vsbTempo.setValue(120);  // now 500 ms from the same start
    expectReleasedAfter(Ms(99), Ms(1));

    play({60});
    clock.advanceBy(Ms(400));
    panel().vsbTempo.setValue(30);  // now 2000 ms: the wait grows
    expectReleasedAfter(Ms(1599), Ms(1));
}

TEST_F(PlaybackTest, ChangeThatEndsTheWaitReleasesOnTheNextLoopPassNotInsideTheHandler) {
    setPace(60, 0);  // 4000 ms
    play({64});
    clock.advanceBy(Ms(1000));
    panel().lstDuration.setListIndex(4);  // 250 ms: already over
    EXPECT_EQ(released, 0);
    clock.runDue();
    EXPECT_EQ(released, 1);
    EXPECT_EQ(device.messages.back(), NoteOffMsg(64));
}

TEST_F(PlaybackTest, MessageOrderOfASingleNoteAndAChord) {
    panel().cboInstrument.setListIndex(40);
    play({69});
    clock.advanceBy(Ms(4000));
    EXPECT_EQ(device.messages,
              (std::vector<std::uint32_t>{ProgramChange(40), NoteOnMsg(69), NoteOffMsg(69)}));

    play({60, 64, 67});
    clock.advanceBy(Ms(4000));
    EXPECT_EQ(device.messages,
              (std::vector<std::uint32_t>{ProgramChange(40), NoteOnMsg(60), ProgramChange(40),
                                          NoteOnMsg(64), ProgramChange(40), NoteOnMsg(67),
                                          NoteOffMsg(60), NoteOffMsg(64), NoteOffMsg(67)}));
}

TEST_F(PlaybackTest, InstrumentChosenDuringTheWaitIsUsedFromTheNextNote) {
    play({60});
    panel().cboInstrument.setListIndex(73);
    EXPECT_EQ(device.messages.size(), 2u);  // choosing sends nothing
    clock.advanceBy(Ms(4000));
    play({60});
    EXPECT_EQ(device.messages.front(), ProgramChange(73));
}

TEST_F(PlaybackTest, ReleaseNowEndsTheWaitWithoutContinuing) {
    play({60, 67});
    clock.advanceBy(Ms(100));
    trainer.playback().releaseNow();
    EXPECT_TRUE(device.sounding.empty());
    EXPECT_FALSE(trainer.playback().isWaiting());
    clock.advanceBy(Ms(10000));
    EXPECT_EQ(released, 0);
    EXPECT_EQ(clock.pendingTimers(), 0u);
}

TEST_F(PlaybackTest, WaitIsMeasuredOnTheMonotonicClockFarFromItsStart) {
    // A millisecond tick counter would have wrapped around here.
    clock.jumpTo(Ms(4294967296.0 - 100));
    setPace(240, 4);
    play({60});
    expectReleasedAfter(Ms(62), Ms(0.5));
}

// The monotonic clock should never jump, but if it does a wait still ends,
// once: at the next pass after a jump forwards, late by the jump backwards.
TEST_F(PlaybackTest, ClockJumpsEndTheWaitOnceNeitherEarlyNorNever) {
    setPace(60, 2);  // 1000 ms
    play({60});
    clock.jumpTo(clock.now() + Ms(3'600'000));
    EXPECT_EQ(released, 0);
    clock.runDue();
    EXPECT_EQ(released, 1);
    EXPECT_TRUE(device.sounding.empty());

    play({62});
    clock.advanceBy(Ms(400));
    clock.jumpTo(clock.now() - Ms(2000));
    panel().vsbTempo.setValue(120);  // re-armed from the same start: 500 ms
    expectReleasedAfter(Ms(2099), Ms(1));
    EXPECT_TRUE(device.sounding.empty());
    clock.advanceBy(Ms(10000));
    EXPECT_EQ(released, 1);
    EXPECT_EQ(clock.pendingTimers(), 0u);
}

}  // namespace
}  // namespace velmora::testing
