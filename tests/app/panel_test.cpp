#include "app/panel.h"

#include <gtest/gtest.h>

#include <set>

#include "app/window_design.h"

namespace velmora {
namespace {

TEST(Panel, HoldsEveryDesignedControlWithItsDesignValues) {
    Panel panel;
    std::set<std::string> names;
    for (const Control* control : panel.controls()) {
        EXPECT_TRUE(names.insert(control->name()).second) << "twice: " << control->name();
    }
    for (const ControlDesign& design : WindowDesign()) {
        EXPECT_NE(panel.find(design.name), nullptr) << design.name;
    }

    EXPECT_EQ(panel.lblNoteRange[0].caption(), "C2");
    EXPECT_EQ(panel.lblNoteRange[1].toolTip(), "max note range");
    EXPECT_EQ(panel.vsbNoteRange[0].value(), 36);
    EXPECT_EQ(panel.vsbNoteRange[1].value(), 84);
    EXPECT_EQ(panel.vsbNoteRange[1].maximum(), 108);
    EXPECT_EQ(panel.vsbAlottedTimeForExercise.value(), 300);
    EXPECT_EQ(panel.vsbAlottedTimeForExercise.minimum(), 120);
    EXPECT_EQ(panel.vsbAlottedTimeForExercise.maximum(), 3599);
    EXPECT_EQ(panel.lblPracticeTime.caption(), "5 : 00.00");
    EXPECT_EQ(panel.vsbMaximum.maximum(), 10);
    EXPECT_EQ(panel.cmdPlay.toolTip(), "PLAY");
    EXPECT_EQ(panel.cmdPlayStop.toolTip(), "STOP MIDI");
    EXPECT_EQ(panel.lblQuestionNumber.caption(), "Q#");
    EXPECT_EQ(panel.lblNoteInput.caption(), "Note Input");
    EXPECT_EQ(panel.Timer1.interval(), 1000);

    EXPECT_EQ(panel.mnuDefaultExercises.caption(), "Select Exercise");
    EXPECT_EQ(panel.mnuSelectExercise[0].caption(), "Diminished Exercise 1 (F#, Eb)");
    EXPECT_EQ(panel.mnuSelectExercise[21].caption(),
              "Diatonic Exercise 11 (C, D, E, F, G, A, B, F#, C#, Eb, Ab, Bb)");
    EXPECT_EQ(panel.mnuSetRange[3].caption(), "24 fret 4-String bass = E1 to G4");
    EXPECT_EQ(panel.mnu_keyshortcut[3].caption(), "Eb");
    EXPECT_EQ(panel.cboInstrument.items()[127], "Gunshot");
}

TEST(Panel, OnlyTheTimerEraseAndAnswerButtonsStartDisabled) {
    Panel panel;
    std::set<std::string> disabled;
    for (const Control* control : panel.controls()) {
        if (!control->enabled()) disabled.insert(control->name());
    }
    std::set<std::string> expected = {"Timer1", "cmdEraseAnswer"};
    for (int i = 0; i < 12; ++i) expected.insert("cmdAnswerButton(" + std::to_string(i) + ")");
    EXPECT_EQ(disabled, expected);
}

TEST(Panel, FocusGoesOnlyToEnabledControlsAndLeavesOnDisable) {
    Panel panel;
    panel.cmdAnswerButton[2].setFocus();
    EXPECT_EQ(panel.focus().current(), nullptr);
    panel.cmdAnswerButton[2].setEnabled(true);
    panel.cmdAnswerButton[2].setFocus();
    EXPECT_TRUE(panel.cmdAnswerButton[2].hasFocus());
    panel.cmdPlay.setFocus();
    EXPECT_FALSE(panel.cmdAnswerButton[2].hasFocus());
    panel.cmdPlay.setEnabled(false);
    EXPECT_EQ(panel.focus().current(), nullptr);
}

TEST(Panel, CheckListFiresOncePerRealChange) {
    Panel panel;
    int clicks = 0;
    panel.lstPitch.onClick = [&] { ++clicks; };
    panel.lstPitch.setSelected(4, true);
    panel.lstPitch.setSelected(4, true);
    panel.lstPitch.setSelected(4, false);
    panel.lstPitch.setSelected(12, true);
    EXPECT_EQ(clicks, 2);
}

TEST(Panel, ButtonsIgnoreClicksAndKeysWhileDisabled) {
    Panel panel;
    std::vector<int> keys;
    int clicks = 0;
    Button& button = panel.cmdAnswerButton[5];
    button.onClick = [&] { ++clicks; };
    button.onKeyPress = [&](int code) { keys.push_back(code); };
    button.click();
    button.keyPress('f');
    button.setEnabled(true);
    button.click();
    button.keyPress('f');
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(keys, std::vector<int>{'f'});
}

}  // namespace
}  // namespace velmora
