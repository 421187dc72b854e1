// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/progress_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTableView>
#include <QTest>

#include <algorithm>

#include "progress/progress_feed.h"
#include "scoring/spelling.h"
#include "ui/main_window.h"
#include "ui/progress_charts.h"
#include "ui/progress_controller.h"
#include "ui/progress_history.h"
#include "ui/progress_menu.h"
#include "ui/qt_app.h"
#include "ui/spelled_names.h"

namespace velmora {
namespace {

// Eb asked, E answered, just now unless told when.
JournalEntry EbTakenForE(std::int64_t utcMilliseconds = QDateTime::currentMSecsSinceEpoch()) {
    JournalEntry entry;
    entry.utcMilliseconds = utcMilliseconds;
    entry.utcOffsetMinutes = QDateTime::currentDateTime().offsetFromUtc() / 60;
    entry.run = 1;
    entry.notes = {63};
    entry.answered = {4};
    entry.responseMilliseconds = 1200;
    return entry;
}

// The message box waiting for an answer, if any.
QMessageBox* ShownMessage() {
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

class ProgressWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureQtApplication(); }
    ProgressWindowTest() {
        feed.onChange([this] { progress.refresh(); });
    }

    QLabel* topConfusionsLabel() {
        return Named<QLabel>(*progress.window(), "Most frequent confusions");
    }
    QString topConfusions() { return topConfusionsLabel()->text(); }

    int key = 3;
    ProgressStatistics statistics;
    ProgressFeed feed{statistics};
    ProgressController progress{statistics, [this] { return testing::SpelledNames(key); }};
};

TEST_F(ProgressWindowTest, FollowsEachAnswerInTheKeySignatureChosenAndSaysItInWords) {
    ProgressWindow& window = progress.show();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&window)->role(), QAccessible::Window)
        << "offered as a window, not a filler";
    feed.record(EbTakenForE());
    EXPECT_EQ(topConfusions(), "Most often confused:\nEb taken for E: 1 time");
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(topConfusionsLabel())->text(QAccessible::Description),
        "Most often confused: Eb taken for E: 1 time.")
        << "the sentence read, not only what the line is";
    auto* pitchBars = Named<BarChart>(window, "Accuracy per pitch class");
    ASSERT_NE(pitchBars, nullptr);
    EXPECT_EQ(pitchBars->bars()[3].label, "Eb");
    EXPECT_TRUE(pitchBars->accessibleDescription().contains("Eb: 0 right of 1 (0%)"))
        << pitchBars->accessibleDescription().toStdString();

    JournalEntry right = EbTakenForE();
    right.answered = {3};
    feed.replaceLast(right);
    EXPECT_EQ(topConfusions(), "No confusions in this period.");
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(topConfusionsLabel())->text(QAccessible::Description),
        "No confusions in this period.");
    EXPECT_TRUE(pitchBars->accessibleDescription().contains("Eb: 1 right of 1 (100%)"));

    // Another key signature names the same pitch class D#.
    key = 4;
    feed.record(EbTakenForE());
    EXPECT_EQ(topConfusions(), "Most often confused:\nD# taken for E: 1 time");
    auto* table = window.findChild<QTableView*>();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->model()->headerData(3, Qt::Vertical, Qt::DisplayRole).toString(), "D#");
    EXPECT_EQ(table->model()->data(table->model()->index(3, 4), Qt::ToolTipRole).toString(),
              "D# taken for E: 1 of 2 times (50%)");
}

TEST_F(ProgressWindowTest, PeriodQuestionsAndWhoChoseThemPickTheAnswersCounted) {
    statistics.addHistory(EbTakenForE(QDateTime::currentMSecsSinceEpoch() - 30LL * 86'400'000));
    feed.record(EbTakenForE());
    ProgressWindow& window = progress.show();
    auto combos = window.findChildren<QComboBox*>();
    ASSERT_GE(combos.size(), 2);
    EXPECT_EQ(window.figures().tally.answers, 2u);  // all time
    combos[0]->setCurrentIndex(1);                  // today
    EXPECT_EQ(window.figures().tally.answers, 1u);
    combos[1]->setCurrentIndex(2);  // chords only
    EXPECT_EQ(window.figures().tally.answers, 0u);

    combos[1]->setCurrentIndex(0);
    auto* chosenBy = Named<QComboBox>(window, "Chosen by");
    ASSERT_NE(chosenBy, nullptr);
    chosenBy->setCurrentIndex(1);  // the coach's questions
    EXPECT_EQ(window.figures().tally.answers, 0u);
    JournalEntry coached = EbTakenForE();
    coached.coachChose = true;
    feed.record(coached);
    feed.record(coached);
    EXPECT_EQ(window.figures().tally.answers, 2u);
    chosenBy->setCurrentIndex(2);  // the uniform draw's
    EXPECT_EQ(window.figures().tally.answers, 1u);
}

// The zoom sets the program's font while the window is open.
TEST_F(ProgressWindowTest, FontsAndSizesFollowTheWindowsFontAndHoldTheirText) {
    ProgressWindow& window = progress.show();
    for (int i = 0; i < 3; ++i) feed.record(EbTakenForE());
    QLabel* summary = nullptr;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->text().contains("notes named")) summary = label;
    }
    ASSERT_NE(summary, nullptr);
    auto* table = window.findChild<QTableView*>();
    auto* pitchBars = Named<BarChart>(window, "Accuracy per pitch class");
    auto* chart = window.findChild<DayChart*>();
    struct Sizes {
        double summaryPoints;
        int summaryWidth, tableWidth, confusionsHeight, barsHeight, chartWidth;
    };
    auto sizes = [&] {
        return Sizes{summary->font().pointSizeF(),
                     summary->width(),
                     table->minimumWidth(),
                     topConfusionsLabel()->height(),
                     pitchBars->minimumSizeHint().height(),
                     chart->minimumSizeHint().width()};
    };
    const Sizes before = sizes();
    QFont twice = window.font();
    twice.setPointSizeF(twice.pointSizeF() * 2);
    window.setFont(twice);
    window.resize(window.enoughSize());
    QApplication::sendPostedEvents();
    const Sizes after = sizes();
    EXPECT_TRUE(summary->font().bold());
    EXPECT_NEAR(after.summaryPoints / before.summaryPoints, 2.0, 0.05);
    for (const auto& [now, then] : {std::pair{after.summaryWidth, before.summaryWidth},
                                    {after.tableWidth, before.tableWidth},
                                    {after.confusionsHeight, before.confusionsHeight},
                                    {after.barsHeight, before.barsHeight},
                                    {after.chartWidth, before.chartWidth}}) {
        EXPECT_NEAR(double(now) / then, 2.0, 0.35) << now << " after, " << then << " before";
    }
    // Nothing cut: the widest count in every cell, every line of the confusions.
    const int count = table->fontMetrics().horizontalAdvance(QLocale().toString(9999));
    for (int column = 0; column < kPitchClasses; ++column) {
        EXPECT_GE(table->columnWidth(column), count) << "column " << column;
        EXPECT_GE(table->rowHeight(column), table->fontMetrics().height()) << "row " << column;
    }
    for (const QString& line : topConfusions().split('\n')) {
        EXPECT_GE(topConfusionsLabel()->width(),
                  topConfusionsLabel()->fontMetrics().horizontalAdvance(line));
    }
    EXPECT_GE(summary->width(), summary->fontMetrics().horizontalAdvance(summary->text()));
}

// The window is built only when first shown, and then shows what came before.
TEST_F(ProgressWindowTest, HistoryReadAfterwardsJoinsTheLiveAnswersUnlessForgotten) {
    const std::int64_t start = EbTakenForE().utcMilliseconds;
    feed.record(EbTakenForE());
    {
        // The journal holds one older answer and the live one, already written.
        ProgressHistoryLoad load(
            progress,
            [start](const std::function<void(const JournalEntry&)>& each, std::string&) {
                each(EbTakenForE(start - 60'000));
                each(EbTakenForE(start + 1));
                return true;
            },
            start + 1);
        QTRY_COMPARE(statistics.answers(), 2u);
    }
    feed.record(EbTakenForE());
    EXPECT_EQ(progress.window(), nullptr);
    ProgressWindow& window = progress.show();
    EXPECT_EQ(window.figures().tally.answers, 3u);
    EXPECT_EQ(topConfusions(), "Most often confused:\nEb taken for E: 3 times");

    progress.forgetHistory();
    EXPECT_EQ(window.figures().tally.answers, 0u);
    ProgressStatistics late;
    late.addHistory(EbTakenForE());
    progress.takeHistory(std::move(late), QString());
    EXPECT_EQ(window.figures().tally.answers, 0u);
}

TEST_F(ProgressWindowTest, AJournalThatCannotBeReadIsSaidInTheWindow) {
    {
        ProgressHistoryLoad load(
            progress,
            [](const std::function<void(const JournalEntry&)>&, std::string& error) {
                error = "file is not a database";
                return false;
            },
            0);
        QTRY_VERIFY(progress.note().contains("file is not a database"));
    }
    // Said also in a window built after the journal was given up.
    ProgressWindow& window = progress.show();
    QStringList shown;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->isVisible()) shown << label->text();
    }
    EXPECT_TRUE(
        shown.join("\n").contains("The practice journal could not be read: file is not a database"))
        << shown.join("\n").toStdString();
}

// The Progress menu beside the main window's own: its shortcut is the only one
// of its kind, and forgetting asks first.
using ProgressMenuTest = MainWindowFixture;

TEST_F(ProgressMenuTest, HasAShortcutOfItsOwnAndForgetsOnlyWhenConfirmed) {
    ProgressStatistics statistics;
    ProgressController progress(
        statistics, [this] { return trainer.state().pitchNames; }, window.get());
    int forgotten = 0;
    ProgressMenu menu(*window->progressMenu(), progress,
                      {.exportJournal = {}, .forget = [&forgotten] { ++forgotten; }});
    EXPECT_FALSE(menu.exportAction()->isEnabled());
    const QList<QAction*> actions = window->findChildren<QAction*>();
    EXPECT_EQ(std::ranges::count(actions, menu.showAction()->shortcut(), &QAction::shortcut), 1);

    statistics.add(EbTakenForE());
    auto answer = [](const QString& button) {
        QMessageBox* box = ShownMessage();
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* each : box->buttons()) {
            if (each->text() == button) each->click();
        }
        QApplication::processEvents();
    };
    menu.forgetAction()->trigger();
    EXPECT_EQ(statistics.answers(), 1u);  // asked first
    answer("Cancel");
    EXPECT_EQ(forgotten, 0);
    menu.forgetAction()->trigger();
    answer("Forget history");
    EXPECT_EQ(forgotten, 1);
    EXPECT_EQ(statistics.answers(), 0u);

    // Nothing of the window is built before its command is used.
    EXPECT_TRUE(window->findChildren<ProgressWindow*>().isEmpty());
    menu.showAction()->trigger();
    ASSERT_EQ(window->findChildren<ProgressWindow*>().size(), 1);
    ProgressWindow* shown = progress.window();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->parent(), window.get());
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(shown->isModal());
    menu.showAction()->trigger();
    EXPECT_EQ(window->findChildren<ProgressWindow*>().size(), 1);
    trainer.Form_Unload();
}

TEST_F(ProgressMenuTest, OpensClearOfTheAnswerButtonsThenWhereTheLearnerLeftIt) {
    auto answerButtons = [this] {
        QList<QWidget*> buttons;
        for (int i = 0; i < kPitchClasses; ++i) {
            buttons << window->widgetOf(QStringLiteral("cmdAnswerButton(%1)").arg(i));
        }
        return GlobalBounds(buttons);
    };
    ASSERT_FALSE(answerButtons().isEmpty());
    std::optional<QRect> kept;
    const ProgressPlacement placement{answerButtons, [&kept] { return kept; },
                                      [&kept](const QRect& geometry) { kept = geometry; }};
    ProgressStatistics statistics;
    auto opened = [&](ProgressController& progress) -> ProgressWindow& {
        progress.setPlacement(placement);
        return progress.show();
    };
    const QRect screen = window->screen()->availableGeometry();
    {
        ProgressController progress(
            statistics, [] { return testing::SpelledNames(0); }, window.get());
        ProgressWindow& shown = opened(progress);
        EXPECT_TRUE(screen.contains(shown.frameGeometry()));
        EXPECT_FALSE(shown.frameGeometry().intersects(answerButtons()));
        shown.hide();
        EXPECT_EQ(kept, std::nullopt) << "the program's choice of place is made afresh";
        shown.show();
        shown.setGeometry(QRect(screen.topLeft() + QPoint(20, 30), QSize(640, 400)));
        shown.hide();
    }
    EXPECT_EQ(kept, QRect(screen.topLeft() + QPoint(20, 30), QSize(640, 400)));
    {
        ProgressController progress(
            statistics, [] { return testing::SpelledNames(0); }, window.get());
        EXPECT_EQ(opened(progress).geometry(), kept);
    }
    // On a monitor unplugged since.
    kept = QRect(screen.right() + 4000, 0, 640, 400);
    {
        ProgressController progress(
            statistics, [] { return testing::SpelledNames(0); }, window.get());
        ProgressWindow& shown = opened(progress);
        EXPECT_TRUE(screen.contains(shown.frameGeometry()));
        EXPECT_FALSE(shown.frameGeometry().intersects(answerButtons()));
    }
    trainer.Form_Unload();
}

TEST_F(ProgressMenuTest, AnExportThatFailsIsSaidAndCanBeTriedAgain) {
    ProgressStatistics statistics;
    ProgressController progress(statistics, [] { return testing::SpelledNames(0); });
    ProgressMenu menu(*window->progressMenu(), progress,
                      {.exportJournal =
                           [](const std::string& path, std::string& error) {
                               error = "No space left on device";
                               return path.empty();
                           },
                       .forget = {}});
    EXPECT_FALSE(menu.forgetAction()->isEnabled());
    menu.exportTo("/full/journal.csv");
    EXPECT_FALSE(menu.exportAction()->isEnabled());
    QTRY_VERIFY(ShownMessage() != nullptr);
    EXPECT_EQ(ShownMessage()->text(),
              "The journal was not exported to /full/journal.csv: No space left on device");
    EXPECT_TRUE(menu.exportAction()->isEnabled());
    ShownMessage()->close();
}

}  // namespace
}  // namespace velmora
