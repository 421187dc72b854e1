// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "model/panel.h"

#include <gtest/gtest.h>

#include <set>

#include "model/window_design.h"

namespace velmora {
namespace {

TEST(Panel, HoldsEveryDesignedControlOnce) {
    Panel panel;
    std::set<std::string> names;
    for (const Control* control : panel.controls()) {
        EXPECT_TRUE(names.insert(control->name()).second) << "twice: " << control->name();
    }
    for (const ControlDesign& design : WindowDesign()) {
        EXPECT_NE(panel.find(design.name), nullptr) << design.name;
    }

    // The menus' items are not in the design table: one of each array.
    EXPECT_EQ(panel.mnuSelectExercise.size(), 22u);
    EXPECT_EQ(panel.mnuSetRange.size(), 5u);
    EXPECT_EQ(panel.mnu_keyshortcut.size(), 12u);
    EXPECT_EQ(panel.cboInstrument.count(), 128);
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
