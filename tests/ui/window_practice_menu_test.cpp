// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/practice_menu.h"

#include <gtest/gtest.h>

#include <QMenuBar>

#include "ui/qt_app.h"

namespace velmora {
namespace {

class PracticeMenuTest : public MainWindowFixture {
protected:
    PracticeMenu menu{*window->practiceMenu(), trainer};
};

TEST_F(PracticeMenuTest, StandsBeforeViewWithAShortcutNoOtherCommandUses) {
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_GE(menus.size(), 5);
    EXPECT_EQ(menus[3]->menu(), window->practiceMenu());
    const QList<QAction*> items = window->practiceMenu()->actions();
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(items[0], menu.hearAction());
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(menu.hearAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
    for (QAction* other : window->findChildren<QAction*>()) {
        if (other != menu.hearAction()) {
            EXPECT_NE(other->shortcut(), menu.hearAction()->shortcut())
                << other->text().toStdString();
        }
    }
}

TEST_F(PracticeMenuTest, HearMyAnswerIsEnabledWhileTheTrainerWouldTakeIt) {
    EXPECT_FALSE(menu.hearAction()->isEnabled()) << "nothing answered yet";
    for (int i = 0; i < kPitchClasses; ++i) panel.lstPitch.setSelected(i, i == 3 || i == 4);
    panel.cmdPlay.click();
    trainer.state().questionNotes = {63};
    panel.cmdAnswerButton[4].click();
    EXPECT_TRUE(menu.hearAction()->isEnabled()) << "told of the wrong answer";
    menu.hearAction()->trigger();
    EXPECT_FALSE(menu.hearAction()->isEnabled()) << "asked for once";
    clock.advanceBy(std::chrono::seconds(4));
    EXPECT_TRUE(device.sounding.count({0, 63})) << "heard when the question's sounding ended";
    EXPECT_FALSE(menu.hearAction()->isEnabled());
    clock.advanceBy(std::chrono::seconds(12));
    EXPECT_TRUE(menu.hearAction()->isEnabled()) << "once it has been heard";
    panel.cmdPlay.click();
    EXPECT_FALSE(menu.hearAction()->isEnabled()) << "a new run";
}

TEST_F(PracticeMenuTest, OptionsShowWithoutEchoAndTheUsersChangesAreTold) {
    std::vector<CoachOptions> told;
    QObject::connect(&menu, &PracticeMenu::coachOptionsChosen,
                     [&told](CoachOptions options) { told.push_back(options); });
    EXPECT_FALSE(menu.choosesAction()->isChecked()) << "all off at first start";
    EXPECT_TRUE(menu.clearsEarAction()->isChecked());
    EXPECT_FALSE(menu.clearsEarAction()->isEnabled()) << "only while the coach chooses";

    menu.showCoachOptions({.choosesQuestions = true, .clearsEar = false});
    EXPECT_TRUE(menu.choosesAction()->isChecked());
    EXPECT_TRUE(menu.clearsEarAction()->isEnabled());
    EXPECT_FALSE(menu.clearsEarAction()->isChecked());
    EXPECT_TRUE(told.empty());

    menu.clearsEarAction()->trigger();
    menu.hearsAfterMistakesAction()->trigger();
    menu.choosesAction()->trigger();
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0], (CoachOptions{.choosesQuestions = true, .clearsEar = true}));
    EXPECT_EQ(told[2],
              (CoachOptions{
                  .choosesQuestions = false, .clearsEar = true, .hearsAnswerAfterMistakes = true}));
    EXPECT_FALSE(menu.clearsEarAction()->isEnabled());
}

}  // namespace
}  // namespace velmora
