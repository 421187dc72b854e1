// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "questions/pitch_selection.h"

#include <gtest/gtest.h>

#include "app/trainer_fixture.h"

namespace velmora::testing {
namespace {

class PitchSelectionTest : public TrainerTest {
protected:
    int cap() { return panel().vsbMaximum.maximum(); }
};

TEST_F(PitchSelectionTest, StartUpPoolIsEbAndFSharpBetweenC2AndC6) {
    EXPECT_EQ(state().candidateNotes, (std::vector<Note>{39, 42, 51, 54, 63, 66, 75, 78}));
    EXPECT_EQ(cap(), 8);
    EXPECT_EQ(state().noteRangeLow, 36);
    EXPECT_EQ(state().noteRangeHigh, 84);
}

TEST_F(PitchSelectionTest, CapForcesBothChordToneSettingsDown) {
    checkOnly({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    panel().vsbMaximum.setValue(8);
    panel().vsbMinimum.setValue(5);
    ASSERT_EQ(panel().vsbMaximum.value(), 8);

    panel().vsbNoteRange[0].setValue(82);  // 82, 83, 84: three notes
    EXPECT_EQ(state().candidateNotes.size(), 3u);
    EXPECT_EQ(panel().vsbMinimum.value(), 3);
    EXPECT_EQ(panel().vsbMaximum.value(), 3);

    checkOnly({4});
    setRange(60, 71);  // one note left
    EXPECT_EQ(state().candidateNotes, std::vector<Note>{64});
    EXPECT_EQ(panel().vsbMinimum.value(), 1);
    EXPECT_EQ(panel().vsbMaximum.value(), 1);
}

TEST_F(PitchSelectionTest, MinimumDragsMaximumUpButNotDown) {
    checkOnly({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    panel().vsbMinimum.setValue(2);
    panel().vsbMaximum.setValue(4);
    panel().vsbMinimum.setValue(6);
    EXPECT_EQ(panel().vsbMaximum.value(), 6);
    panel().vsbMinimum.setValue(2);
    EXPECT_EQ(panel().vsbMaximum.value(), 6);
    EXPECT_EQ(panel().vsbMaximum.minimum(), 2);
}

TEST_F(PitchSelectionTest, RangeBarsWriteTheirLabelsInTheKeysSpelling) {
    panel().vsbNoteRange[0].stepUp();
    EXPECT_EQ(panel().lblNoteRange[0].caption(), "C#2");
    EXPECT_EQ(panel().lblNoteRange[0].toolTip(), "37");

    panel().lstKeySignature.setListIndex(1);  // Db major
    panel().vsbNoteRange[1].setValue(71);
    EXPECT_EQ(panel().lblNoteRange[1].caption(), "Cb4");
    EXPECT_EQ(panel().lblNoteRange[0].caption(), "C#2") << "labels already shown stay";
}

TEST_F(PitchSelectionTest, BassPresetSetsRangeLabelsAndInstrument) {
    panel().mnuSetRange[3].click();
    EXPECT_EQ(state().noteRangeLow, 28);
    EXPECT_EQ(state().noteRangeHigh, 67);
    EXPECT_EQ(panel().lblNoteRange[0].caption(), "E1");
    EXPECT_EQ(panel().lblNoteRange[1].caption(), "G4");
    EXPECT_EQ(panel().cboInstrument.listIndex(), 33);
    EXPECT_EQ(panel().cboInstrument.toolTip(), "33");
    EXPECT_TRUE(device.messages.empty()) << "the program goes out with the next note";

    panel().mnuSetRange[0].click();
    EXPECT_EQ(panel().lblNoteRange[0].caption(), "A0");
    EXPECT_EQ(panel().lblNoteRange[1].caption(), "C8");
}

TEST_F(PitchSelectionTest, EmptyPoolIsEmptyAndLeavesTheChordTonesAlone) {
    checkOnly({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    panel().vsbMaximum.setValue(6);
    panel().vsbMinimum.setValue(4);

    panel().vsbNoteRange[1].setValue(30);  // below the lowest note: nothing in between
    EXPECT_TRUE(state().candidateNotes.empty());
    checkOnly({0});
    EXPECT_TRUE(state().candidateNotes.empty());
    EXPECT_EQ(cap(), 10) << "the cap stays where the last pool put it";
    EXPECT_EQ(panel().vsbMinimum.value(), 4);
    EXPECT_EQ(panel().vsbMaximum.value(), 6);

    panel().vsbNoteRange[1].setValue(84);  // C2..C6 holds five Cs: the cap follows them
    EXPECT_EQ(cap(), 5);
    EXPECT_EQ(panel().vsbMinimum.value(), 4);
    EXPECT_EQ(panel().vsbMaximum.value(), 5);

    checkOnly({});
    EXPECT_TRUE(state().candidateNotes.empty());
}

}  // namespace
}  // namespace velmora::testing
