// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// Notes played on a MIDI keyboard answer as the letter keys do, without the focus.

#include <gtest/gtest.h>

#include "app/run_fixture.h"

namespace velmora::testing {
namespace {

using KeyboardAnswers = RunTest;

TEST_F(KeyboardAnswers, EveryOctaveOfAPitchClassAnswersIt) {
    panel().cmdPlay.click();
    panel().cboInstrument.setFocus();  // no answer button has the focus
    for (int note = 0; note <= 127; ++note) {
        pose({static_cast<Note>(60 + note % 12)});
        keyboard.play(
            {static_cast<std::uint8_t>(0x90 | note % 16), static_cast<std::uint8_t>(note), 100});
        ASSERT_EQ(panel().lblResult.caption(), "Correct") << note;
    }
    EXPECT_EQ(stats()[0], "Right: 128");
    pose({61});
    keyboard.play({0x90, 60, 100});
    EXPECT_EQ(panel().lblResult.caption(), "Incorrect");
}

TEST_F(KeyboardAnswers, AChordIsAnsweredNoteByNoteAndOtherMessagesAnswerNothing) {
    checkOnly({0, 4, 7});
    panel().cmdPlay.click();
    pose({48, 52, 55});
    keyboard.play({0x90, 72, 90, 0x80, 72, 0, 0x90, 76, 0, 0xB0, 64, 127, 0xF8, 0xFE});
    EXPECT_EQ(panel().lblNoteInput.caption(), "C");
    EXPECT_EQ(panel().lblResult.caption(), "");
    keyboard.play({0x90, 64, 90, 67, 90});  // running status
    EXPECT_EQ(panel().lblNoteInput.caption(), "C-E-G");
    EXPECT_EQ(panel().lblResult.caption(), "Correct");
}

TEST_F(KeyboardAnswers, NotesAnswerNothingOutsideARunDuringTheDrillOrAfterClosing) {
    keyboard.play({0x90, 63, 100});
    EXPECT_EQ(panel().lblNoteInput.caption(), "Note Input");

    checkOnly({3});
    panel().pic_Repeat_1_Note.click();
    keyboard.play({0x90, 63, 100});
    EXPECT_EQ(panel().lblNoteInput.caption(), "Note Input");
    EXPECT_EQ(state().rightCount, 0);
    panel().cmdPlayStop.click();

    EXPECT_TRUE(keyboard.listened());
    trainer.Form_Unload();
    EXPECT_FALSE(keyboard.listened()) << "a closed trainer hears no more notes";
}

}  // namespace
}  // namespace velmora::testing
