// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/practice_menu.h"

#include <gtest/gtest.h>

#include <QMenuBar>
#include <QTest>

#include "ui/qt_app.h"

namespace velmora {
namespace {

class PracticeMenuTest : public MainWindowFixture {
protected:
    PracticeMenu menu{*window->practiceMenu(), trainer};
};

TEST_F(PracticeMenuTest, StandsBeforeViewWithShortcutsNoOtherCommandOrAnswerLetterUses) {
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_GE(menus.size(), 5);
    EXPECT_EQ(menus[3]->menu(), window->practiceMenu());
    const QList<QAction*> items = window->practiceMenu()->actions();
    ASSERT_EQ(items.size(), 9);
    EXPECT_EQ(items[0], menu.playAction());
    EXPECT_EQ(items[1], menu.stopAction());
    EXPECT_EQ(items[2], menu.againAction());
    EXPECT_TRUE(items[3]->isSeparator());
    EXPECT_EQ(items[4], menu.hearAction());
    for (QAction* command :
         {menu.playAction(), menu.stopAction(), menu.againAction(), menu.hearAction()}) {
        ASSERT_FALSE(command->shortcut().isEmpty()) << command->text().toStdString();
        for (QAction* other : window->findChildren<QAction*>()) {
            if (other != command) {
                EXPECT_NE(other->shortcut(), command->shortcut()) << other->text().toStdString();
            }
        }
        // An answer letter, alone or with Shift, answers; never a command.
        for (const char* letter : kShortcutKeyLetters) {
            const QKeySequence key(QString::fromLatin1(letter));
            EXPECT_NE(command->shortcut(), key);
            EXPECT_NE(command->shortcut(), QKeySequence(QStringLiteral("Shift+") + letter));
        }
    }
}

// The commands go through the buttons: the same effect, and nothing where a
// button is disabled.
TEST_F(PracticeMenuTest, PlayStopAndTheQuestionAgainActAsTheButtonsDo) {
    for (int i = 0; i < kPitchClasses; ++i) panel.lstPitch.setSelected(i, i == 3 || i == 4);
    EXPECT_FALSE(trainer.canPlayQuestionAgain()) << "nothing asked yet";
    menu.playAction()->trigger();
    EXPECT_TRUE(trainer.state().exerciseRunning);
    EXPECT_EQ(panel.lblQuestionNumber.caption(), "Q # 1");
    const auto asked = device.sounding;
    ASSERT_FALSE(asked.empty());
    EXPECT_FALSE(trainer.PlayQuestionAgain()) << "a run plays it over and over itself";
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(trainer.state().exerciseRunning) << "Esc stops as STOP does";

    EXPECT_FALSE(trainer.canPlayQuestionAgain()) << "the last pass sounds on";
    clock.advanceBy(std::chrono::seconds(4));
    EXPECT_TRUE(device.sounding.empty());
    QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(device.sounding, asked) << "as it was asked";
    EXPECT_FALSE(trainer.canPlayQuestionAgain()) << "while it sounds";
    clock.advanceBy(std::chrono::seconds(4));
    EXPECT_TRUE(device.sounding.empty());
    EXPECT_TRUE(trainer.canPlayQuestionAgain());
    EXPECT_FALSE(trainer.state().exerciseRunning) << "no run is started by it";

    panel.cmdPlay.setEnabled(false);
    panel.cmdPlayStop.setEnabled(false);
    emit window->practiceMenu()->aboutToShow();
    EXPECT_FALSE(menu.playAction()->isEnabled());
    EXPECT_FALSE(menu.stopAction()->isEnabled());
    emit window->practiceMenu()->aboutToHide();
    QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(trainer.state().exerciseRunning) << "refused as the disabled button is";
    panel.cmdPlay.setEnabled(true);
    QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(trainer.state().exerciseRunning);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(trainer.state().exerciseRunning) << "refused as the disabled button is";
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
