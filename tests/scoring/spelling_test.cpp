// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "scoring/spelling.h"

#include <gtest/gtest.h>

#include <limits>

#include "app/trainer_fixture.h"

namespace velmora::testing {
namespace {

std::array<std::string, kPitchClasses> Row(int key) {
    std::array<std::string, kPitchClasses> names;
    for (int i = 0; i < kPitchClasses; ++i) names[i] = kSpellingTable[key][i];
    return names;
}

TEST(NoteLabel, OctaveFollowsTheNumberEvenAcrossTheLetterBoundary) {
    const std::tuple<int, int, std::string> cases[] = {
        {60, 0, "C4"},   {60, 4, "B#4"}, {59, 0, "B3"}, {59, 1, "Cb3"}, {108, 0, "C8"},
        {108, 4, "B#8"}, {66, 0, "F#4"}, {36, 0, "C2"}, {0, 0, "C-1"},  {127, 0, "G9"}};
    for (const auto& [note, key, label] : cases) EXPECT_EQ(NoteLabel(note, Row(key)), label);
    for (int key = 0; key < 12; ++key) EXPECT_EQ(NoteLabel(21, Row(key)), "A0") << key;
    // Any int has a name; the octave arithmetic must not overflow at the ends.
    EXPECT_EQ(NoteLabel(-1, Row(0)), "B-2");
    EXPECT_EQ(NoteLabel(std::numeric_limits<int>::min(), Row(0)), "E-178956972");
    EXPECT_EQ(NoteLabel(std::numeric_limits<int>::max(), Row(0)), "G178956969");
}

using KeySignature = TrainerTest;

TEST_F(KeySignature, StartsInFMajorAndNamesEveryPlaceAPitchIsShown) {
    EXPECT_EQ(panel().lstKeySignature.text(), "F Major or D minor");
    const std::vector<std::string> fMajor = {"C C",  "C# V", "D D",  "Eb W", "E E",  "F F",
                                             "F# T", "G G",  "Ab Q", "A A",  "Bb S", "B B"};
    for (int i = 0; i < kPitchClasses; ++i) {
        const std::string name = fMajor[i].substr(0, fMajor[i].find(' '));
        const std::string key = fMajor[i].substr(fMajor[i].find(' ') + 1);
        EXPECT_EQ(state().pitchNames[i], name);
        EXPECT_EQ(panel().cmdAnswerButton[i].caption(), name);
        EXPECT_EQ(panel().lstPitch.items()[i], name);
        EXPECT_EQ(panel().mnu_keyshortcut[i].caption(), name + " = " + key);
        EXPECT_EQ(panel().cmdAnswerButton[i].toolTip(), key) << "the key letter never changes";
    }
}

TEST_F(KeySignature, FSharpMajorRespellsButtonsListAndMenuButNotTheKeys) {
    panel().lstPitch.setSelected(0, true);
    panel().lstKeySignature.setListIndex(6);
    const std::vector<std::string> expected = {"B#", "C#", "Cx", "D#", "E",  "E#",
                                               "F#", "Fx", "G#", "A",  "A#", "B"};
    for (int i = 0; i < kPitchClasses; ++i) {
        EXPECT_EQ(panel().cmdAnswerButton[i].caption(), expected[i]);
        EXPECT_EQ(panel().lstPitch.items()[i], expected[i]);
    }
    EXPECT_EQ(panel().mnu_keyshortcut[0].caption(), "B# = C");
    EXPECT_EQ(panel().mnu_keyshortcut[2].caption(), "Cx = D");
    // Only the names change: the checks stay on the same pitch classes.
    for (int i : {0, 3, 6}) EXPECT_TRUE(panel().lstPitch.selected(i)) << i;
    EXPECT_FALSE(panel().lstPitch.selected(2));
    EXPECT_EQ(trainer.spelling().NoteLabel(60), "B#4");
}

}  // namespace
}  // namespace velmora::testing
