// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "questions/single_note_repeat.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "app/run_fixture.h"

namespace velmora::testing {
namespace {

class DrillTest : public RunTest {
protected:
    static constexpr double kQuarterNoteMs = 1000;  // tempo 60

    struct Heard {
        int note;
        int program;
    };
    // Each note-on with the program change sent just before it.
    std::vector<Heard> heard() {
        std::vector<Heard> notes;
        int program = -1;
        for (auto message : device.messages) {
            const int kind = StatusOf(message) & 0xF0;
            if (kind == kProgramChangeStatus) program = Data1Of(message);
            if (kind == kNoteOnStatus) notes.push_back({Data1Of(message), program});
        }
        return notes;
    }
};

TEST_F(DrillTest, PlaysOctavesOfThePitchClassInGroupsOfFourOnFreshInstruments) {
    checkOnly({9});
    panel().pic_Repeat_1_Note.click();
    ASSERT_TRUE(state().repeatActive);
    EXPECT_EQ(panel().lstDuration.text(), "Quarter");
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(device.sounding.size(), 1u);
        clock.advanceBy(Ms(kQuarterNoteMs));
    }
    const auto notes = heard();
    ASSERT_GE(notes.size(), 40u);
    std::set<int> octaves;
    std::set<int> programs;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        EXPECT_THAT(notes[i].note, ::testing::AnyOf(45, 57, 69, 81));
        EXPECT_EQ(notes[i].note, notes[i / 4 * 4].note) << "heard four times";
        octaves.insert(notes[i].note);
        programs.insert(notes[i].program);
    }
    EXPECT_GT(octaves.size(), 1u);
    EXPECT_GT(programs.size(), 20u) << "a fresh instrument for every note";
    EXPECT_EQ(panel().cboInstrument.listIndex(), notes.back().program);
}

TEST_F(DrillTest, StopAndAPitchChangeEndTheDrillAfterTheSoundingNote) {
    checkOnly({0});
    setRange(60, 71);
    panel().pic_Repeat_1_Note.click();
    clock.advanceBy(Ms(2500));
    panel().cmdPlayStop.click();
    EXPECT_FALSE(state().repeatActive);
    EXPECT_EQ(device.sounding.size(), 1u) << "the note is not cut short";
    clock.advanceBy(Ms(kQuarterNoteMs));
    EXPECT_TRUE(device.sounding.empty());
    for (const Heard& note : heard()) EXPECT_EQ(note.note, 60);
    const auto count = device.messages.size();
    clock.advanceBy(Ms(10000));
    EXPECT_EQ(device.messages.size(), count);
    EXPECT_EQ(panel().lstDuration.text(), "Quarter") << "the drill's choices stay";

    panel().pic_Repeat_1_Note.click();
    clock.advanceBy(Ms(500));
    panel().lstPitch.setSelected(4, true);
    clock.advanceBy(Ms(kQuarterNoteMs));
    EXPECT_TRUE(device.sounding.empty());
    EXPECT_FALSE(state().exerciseRunning);
}

TEST_F(DrillTest, IgnoredWithTwoPitchesDuringARunOrWithNoNoteInTheRange) {
    checkOnly({0, 4});
    panel().pic_Repeat_1_Note.click();
    EXPECT_TRUE(device.messages.empty());

    checkOnly({0});
    setRange(61, 70);
    panel().pic_Repeat_1_Note.click();
    EXPECT_TRUE(device.messages.empty());
    EXPECT_EQ(panel().lstDuration.text(), "Whole");

    panel().vsbNoteRange[1].setValue(84);
    panel().cmdPlay.click();
    const auto count = device.messages.size();
    trainer.singleNoteRepeat().pic_Repeat_1_Note_Click();  // the icon is locked; call it anyway
    EXPECT_EQ(device.messages.size(), count);
    EXPECT_FALSE(state().repeatActive);
}

TEST_F(DrillTest, PlayDuringADrillEndsItFirst) {
    checkOnly({0});
    panel().pic_Repeat_1_Note.click();
    clock.advanceBy(Ms(300));
    panel().cmdPlay.click();
    EXPECT_TRUE(state().exerciseRunning);
    EXPECT_EQ(device.sounding.size(), 1u) << "only the run's question sounds";
    pose({60});
    press({0});
    EXPECT_EQ(panel().lblResult.caption(), "Correct") << "answers count again";
    clock.advanceBy(Ms(8000));
    EXPECT_EQ(panel().lstDuration.text(), "Quarter");
    EXPECT_LE(device.sounding.size(), 1u);
}

}  // namespace
}  // namespace velmora::testing
