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
#include <QTableView>
#include <QTest>

#include <algorithm>

#include "progress/progress_feed.h"
#include "scoring/spelling.h"
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

    QString topConfusions() {
        return Named<QLabel>(*progress.window(), "Most frequent confusions")->text();
    }

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
    auto* pitchBars = Named<BarChart>(window, "Accuracy per pitch class");
    ASSERT_NE(pitchBars, nullptr);
    EXPECT_EQ(pitchBars->bars()[3].label, "Eb");
    EXPECT_TRUE(pitchBars->accessibleDescription().contains("Eb: 0 right of 1 (0%)"))
        << pitchBars->accessibleDescription().toStdString();

    JournalEntry right = EbTakenForE();
    right.answered = {3};
    feed.replaceLast(right);
    EXPECT_EQ(topConfusions(), "No confusions in this period.");
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
