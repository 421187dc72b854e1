// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/run_summary_window.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "ui/program_font.h"
#include "ui/qt_app.h"

namespace velmora {
namespace {

constexpr std::array<std::string, kPitchClasses> kFlatNames = {"C",  "Db", "D",  "Eb", "E",  "F",
                                                               "Gb", "G",  "Ab", "A",  "Bb", "B"};

// 23 answers, 20 right; 18 of 20 first attempts; F#/Gb taken for F three times.
RunSummary FairRun() {
    return {23, 20, 3, 20, 18, 9, 6, 5, 3, {{6, MasteryState::Learning, MasteryState::Mastered}}};
}

NextStep GoOn() {
    return {NextStep::Action::SelectExercise,
            "Diatonic 5 is mastered: go on to Diatonic 6",
            "Start Diatonic 6",
            16,
            {}};
}

class RunSummaryWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureQtApplication(); }

    // What the window shows, line by line, as a screen reader gets it.
    QStringList lines() const {
        QStringList shown;
        for (QLabel* label : summary.findChildren<QLabel*>()) {
            if (!label->isVisibleTo(&summary)) continue;
            QAccessibleInterface* read = QAccessible::queryAccessibleInterface(label);
            EXPECT_EQ(read->text(QAccessible::Name), label->text());
            shown << label->text();
        }
        return shown;
    }
    QPushButton* button(const QString& text) const {
        for (QPushButton* each : summary.findChildren<QPushButton*>()) {
            if (each->text().remove('&') == text) return each;
        }
        ADD_FAILURE() << text.toStdString();
        return nullptr;
    }

    RunSummaryWindow summary;
};

TEST_F(RunSummaryWindowTest, SaysTheFiguresInWordsSpelledWithTheNamesGiven) {
    summary.show(FairRun(), kFlatNames, 9 * 60000 + 59000, 15, GoOn());
    EXPECT_EQ(lines(),
              QStringList(
                  {"Answers: 23 (20 right, 3 wrong)", "First attempts: 18 of 20 right (90%)",
                   "Best streak: 9 right in a row", "Gb taken for F: 3 times", "Gb is now mastered",
                   "Today: 9 of 15 minutes", "Diatonic 5 is mastered: go on to Diatonic 6"}));
    EXPECT_TRUE(button("Start Diatonic 6")->isVisibleTo(&summary));
    for (QPushButton* each : summary.findChildren<QPushButton*>()) {
        EXPECT_TRUE(each->text().contains(QRegularExpression("&[^&]"))) << "a mnemonic";
    }
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&summary);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), "Run summary");

    // The next run's summary replaces every line; 199 of 200 is not all right.
    RunSummary quiet;
    quiet.answers = quiet.right = quiet.firstAttempts = 200;
    quiet.firstAttemptsRight = 199;
    quiet.bestStreak = 1;
    summary.show(quiet, kFlatNames, 20 * 60000, 15, NextStep{});
    EXPECT_EQ(lines(), QStringList({"Answers: 200 (200 right, 0 wrong)",
                                    "First attempts: 199 of 200 right (99%)",
                                    "Best streak: 1 right in a row", "No confusions",
                                    "Today: 20 of 15 minutes, goal reached"}));
    EXPECT_FALSE(summary.findChild<QPushButton*>("nextStep")->isVisibleTo(&summary));
}

TEST_F(RunSummaryWindowTest, ButtonsTellWhatWasChosenAndEscapeCloses) {
    std::vector<NextStep> chosen;
    QObject::connect(&summary, &RunSummaryWindow::nextStepChosen,
                     [&chosen](const NextStep& step) { chosen.push_back(step); });
    int again = 0;
    QObject::connect(&summary, &RunSummaryWindow::againChosen, [&again] { ++again; });

    summary.show(FairRun(), kFlatNames, 0, 15, GoOn());
    summary.setNextStepEnabled(false);
    QTest::mouseClick(button("Start Diatonic 6"), Qt::LeftButton);
    EXPECT_TRUE(chosen.empty()) << "refused while a run locks the settings";
    summary.setNextStepEnabled(true);
    QTest::mouseClick(button("Start Diatonic 6"), Qt::LeftButton);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], GoOn());
    EXPECT_FALSE(summary.isVisible()) << "the trainer's window gets the keyboard back";

    summary.show(FairRun(), kFlatNames, 0, 15, GoOn());
    QTest::mouseClick(button("Again"), Qt::LeftButton);
    EXPECT_EQ(again, 1);

    summary.show(FairRun(), kFlatNames, 0, 15, GoOn());
    QWidget* line = summary.findChild<QLabel*>();
    line->setFocus();
    QTest::keyClick(line, Qt::Key_Escape);
    EXPECT_FALSE(summary.isVisible());
}

TEST_F(RunSummaryWindowTest, LeavesTheKeyboardWithTheTrainersWindow) {
    QWidget trainer;
    auto* answer = new QPushButton("C", &trainer);
    trainer.show();
    // The offscreen platform activates every window it shows, unlike a
    // window manager asked not to: the summary's first showing is let be.
    summary.show(FairRun(), kFlatNames, 0, 15, GoOn());
    EXPECT_TRUE(summary.testAttribute(Qt::WA_ShowWithoutActivating));
    QApplication::processEvents();
    QApplication::setActiveWindow(&trainer);
    answer->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), answer);

    summary.show(FairRun(), kFlatNames, 60000, 15, GoOn());
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &trainer);
    EXPECT_EQ(QApplication::focusWidget(), answer);
}

TEST_F(RunSummaryWindowTest, FollowsTheProgramsZoom) {
    ProgramFont::Apply(100);
    summary.show(FairRun(), kFlatNames, 0, 15, GoOn());
    const QSize small = summary.size();
    ProgramFont::Apply(200);
    QCoreApplication::processEvents();  // the application's font reaches windows so
    EXPECT_DOUBLE_EQ(button("Again")->font().pointSizeF(), 16.0);
    EXPECT_GT(summary.width(), small.width() * 3 / 2);
    EXPECT_GT(summary.height(), small.height() * 3 / 2);
    ProgramFont::Restore();
}

}  // namespace
}  // namespace velmora
