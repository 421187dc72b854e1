// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "practice/exercises.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/run_fixture.h"

namespace velmora::testing {
namespace {

class ExercisesTest : public RunTest {
protected:
    std::vector<int> checked() {
        std::vector<int> result;
        for (int i = 0; i < kPitchClasses; ++i) {
            if (panel().lstPitch.selected(i)) result.push_back(i);
        }
        return result;
    }
};

TEST_F(ExercisesTest, EveryCaptionNamesExactlyThePitchesOfItsMask) {
    const std::vector<std::string> names = {"C",  "C#", "D",  "Eb", "E",  "F",
                                            "F#", "G",  "Ab", "A",  "Bb", "B"};
    for (const Exercise& exercise : kExercises) {
        const std::string caption(exercise.caption);
        // "... (F#, Eb)" read as the names "F#" and "Eb".
        std::istringstream listed(caption.substr(caption.find('(') + 1));
        std::string fromCaption(12, '0');
        for (std::string name; std::getline(listed >> std::ws, name, ',');) {
            if (name.back() == ')') name.pop_back();
            const auto at = std::find(names.begin(), names.end(), name);
            ASSERT_NE(at, names.end()) << caption;
            fromCaption[at - names.begin()] = '1';
        }
        EXPECT_EQ(fromCaption, exercise.mask) << caption;
    }
}

TEST_F(ExercisesTest, ReplacesTheSelectionOneCheckAtATime) {
    checkOnly({0, 1, 2});
    int clicks = 0;
    auto handler = panel().lstPitch.onClick;
    panel().lstPitch.onClick = [&] {
        ++clicks;
        handler();
    };
    panel().lstKeySignature.setListIndex(6);  // other spellings, same positions
    panel().mnuSelectExercise[0].click();
    EXPECT_EQ(checked(), (std::vector<int>{3, 6}));
    EXPECT_EQ(clicks, 5) << "three unchecked, two checked, each its own click";
    EXPECT_EQ(state().candidateNotes.size(), 8u);
    EXPECT_TRUE(panel().cmdAnswerButton[3].enabled());
    EXPECT_FALSE(panel().cmdAnswerButton[0].enabled());

    panel().mnuSelectExercise[10].click();
    EXPECT_EQ(checked().size(), 12u);
    panel().mnuSelectExercise[21].click();
    EXPECT_EQ(checked().size(), 12u);
}

TEST_F(ExercisesTest, ChangesNothingButThePitches) {
    panel().cmdPlay.click();
    pose({63});
    press({3});
    panel().cmdPlayStop.click();
    clock.advanceBy(Ms(4000));
    panel().mnuSelectExercise[12].click();
    EXPECT_FALSE(state().exerciseRunning);
    EXPECT_EQ(panel().vsbNoteRange[0].value(), 36);
    EXPECT_EQ(panel().vsbNoteRange[1].value(), 84);
    EXPECT_EQ(panel().lstStats.items()[0], "Right: 1");
    EXPECT_EQ(panel().ListView1.rows().size(), 1u);
    EXPECT_EQ(checked(), (std::vector<int>{0, 2, 4}));
}

}  // namespace
}  // namespace velmora::testing
