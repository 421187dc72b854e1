// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <string>
#include <vector>

#include "model/window_design.h"
#include "ui/one_row_list.h"
#include "ui/qt_app.h"

namespace velmora {
namespace {

class MainWindowTest : public MainWindowFixture {
protected:
    template <typename Widget>
    Widget* widget(const char* name) {
        auto* found = qobject_cast<Widget*>(window->widgetOf(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};

TEST_F(MainWindowTest, ShowsEveryControlAsThePanelHasItAfterStartUp) {
    EXPECT_EQ(window->centralWidget()->size(), QSize(711, 279)) << "the design's size at first";
    EXPECT_EQ(window->windowTitle(), "Velmora");
    EXPECT_FALSE(window->windowIcon().isNull());
    // The design's positions within their frames: the program tests click PLAY there.
    QPushButton* firstAnswer = widget<QPushButton>("cmdAnswerButton(0)");
    EXPECT_EQ(firstAnswer->cursor().shape(), Qt::BitmapCursor) << "the pointing hand";
    EXPECT_EQ(firstAnswer->cursor().hotSpot(), QPoint(10, 1));

    for (const ControlDesign& design : WindowDesign()) {
        Control* control = panel.find(design.name);
        QWidget* shown =
            window->widgetOf(QString::fromUtf8(design.name.data(), design.name.size()));
        ASSERT_NE(control, nullptr);
        if (design.kind == ControlKind::Timer) {
            EXPECT_EQ(shown, nullptr) << "a timer has no widget";
            continue;
        }
        ASSERT_NE(shown, nullptr) << design.name;
        EXPECT_EQ(shown->isEnabled(), control->enabled()) << design.name;
        EXPECT_EQ(shown->toolTip().toStdString(), control->toolTip()) << design.name;
        // Every control but an empty label has a name for screen readers.
        if (auto* oneRow = qobject_cast<OneRowList*>(shown)) shown = oneRow->list();
        if (design.kind != ControlKind::Label || !design.caption.empty()) {
            EXPECT_FALSE(shown->accessibleName().isEmpty()) << design.name;
        }
    }
    EXPECT_EQ(widget<QScrollBar>("vsbMinimum")->accessibleName(), "minimum number of chord tones");
    EXPECT_EQ(widget<QComboBox>("cboInstrument")->count(), panel.cboInstrument.count());
    EXPECT_EQ(widget<QListWidget>("lstDuration")->currentItem()->text(), "Whole");
    auto* pitches = widget<QListWidget>("lstPitch");
    ASSERT_EQ(pitches->count(), 12);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(pitches->item(i)->checkState() == Qt::Checked, panel.lstPitch.selected(i)) << i;
    }
}

TEST_F(MainWindowTest, MenusCarryThePanelsItemsAndClicksReachThem) {
    const QList<QAction*> menus = window->menuBar()->actions();
    QStringList names;
    for (const QAction* menu : menus) names << menu->menu()->objectName();
    EXPECT_EQ(names.mid(3).join(' '), "mnuPractice mnuView mnuSound mnuProgress mnuHelp")
        << "after the design's three, in this order";
    EXPECT_EQ(window->soundMenu()->actions().back()->menu(), window->midiInputMenu());
    EXPECT_EQ(menus[1]->text().toStdString(), panel.mnuRange.caption());
    const QList<QAction*> ranges = menus[1]->menu()->actions();
    ASSERT_EQ(ranges.size(), 5);
    EXPECT_EQ(ranges[0]->text().toStdString(), panel.mnuSetRange[0].caption());

    int clicks = 0;
    panel.mnuSetRange[2].onClick = [&clicks] { ++clicks; };
    ranges[2]->trigger();
    EXPECT_EQ(clicks, 1);

    panel.mnuSetRange[2].setCaption("Bass & baritone");
    EXPECT_EQ(ranges[2]->text(), "Bass && baritone") << "no mnemonic from an ampersand";
    panel.mnuSetRange[2].setEnabled(false);
    EXPECT_FALSE(ranges[2]->isEnabled());
}

// The view's own updates must never echo back as the user's choice.
TEST_F(MainWindowTest, ListsFollowThePanelAndTellItOfTheUsersChoice) {
    int instrumentClicks = 0, pitchClicks = 0;
    panel.cboInstrument.onClick = [&instrumentClicks] { ++instrumentClicks; };
    panel.lstPitch.onClick = [&pitchClicks] { ++pitchClicks; };
    auto* instrument = widget<QComboBox>("cboInstrument");
    instrument->setCurrentIndex(5);  // as the user's choice arrives
    EXPECT_EQ(panel.cboInstrument.listIndex(), 5);
    panel.cboInstrument.setListIndex(7);
    EXPECT_EQ(instrument->currentIndex(), 7);
    EXPECT_EQ(instrumentClicks, 2);

    auto* pitches = widget<QListWidget>("lstPitch");
    pitches->item(0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(panel.lstPitch.selected(0));
    panel.lstPitch.setSelected(6, false);
    EXPECT_EQ(pitches->item(6)->checkState(), Qt::Unchecked);
    EXPECT_EQ(pitchClicks, 2);

    auto* duration = widget<QListWidget>("lstDuration");
    QTest::keyClick(duration, Qt::Key_Down);
    EXPECT_EQ(panel.lstDuration.listIndex(), 1);
    panel.lstDuration.setListIndex(3);
    EXPECT_EQ(duration->currentRow(), 3);
    panel.lstDuration.setItemText(3, "Eighth");
    EXPECT_EQ(duration->item(3)->text(), "Eighth");

    auto* keys = widget<OneRowList>("lstKeySignature");
    keys->step(1);
    EXPECT_EQ(panel.lstKeySignature.listIndex(), 6);
    QTest::keyClick(keys->list(), Qt::Key_Up);
    EXPECT_EQ(panel.lstKeySignature.listIndex(), 5);
    keys->step(-100);
    EXPECT_EQ(panel.lstKeySignature.listIndex(), 0) << "the arrows stop at the ends";

    // One added item is one added row; the rows already there stay as they are.
    auto* stats = widget<QListWidget>("lstStats");
    panel.lstStats.addItem("first");
    QListWidgetItem* first = stats->item(0);
    panel.lstStats.addItem("second");
    ASSERT_EQ(stats->count(), 2);
    EXPECT_EQ(stats->item(0), first);
    EXPECT_EQ(stats->item(1)->text(), "second");
    panel.lstStats.removeLastItem();
    EXPECT_EQ(stats->count(), 1);
    panel.lstStats.clear();
    EXPECT_EQ(stats->count(), 0);
}

TEST_F(MainWindowTest, ScrollBarsHaveTheLargerValueAtTheTop) {
    int changes = 0;
    panel.vsbTempo.onChange = [&changes] { ++changes; };
    auto* tempo = widget<QScrollBar>("vsbTempo");

    // The style draws an arrow at each end.
    const QPoint upper(tempo->width() / 2, 3), lower(tempo->width() / 2, tempo->height() - 4);
    QTest::mouseClick(tempo, Qt::LeftButton, {}, upper);
    EXPECT_EQ(panel.vsbTempo.value(), 61) << "the upper arrow adds exactly one";
    EXPECT_EQ(changes, 1);
    QTest::mouseClick(tempo, Qt::LeftButton, {}, lower);
    QTest::mouseClick(tempo, Qt::LeftButton, {}, lower);
    EXPECT_EQ(panel.vsbTempo.value(), 59);

    QTest::keyClick(tempo, Qt::Key_Up);
    EXPECT_EQ(panel.vsbTempo.value(), 60);
    QTest::keyClick(tempo, Qt::Key_Down);
    EXPECT_EQ(panel.vsbTempo.value(), 59);

    panel.vsbTempo.setValue(200);
    EXPECT_EQ(tempo->value(), 200);
    panel.vsbTempo.setMaximum(150);
    EXPECT_EQ(tempo->maximum(), 150);
    EXPECT_EQ(tempo->value(), 150);
}

TEST_F(MainWindowTest, LabelsShowCaptionColourAndSizeThemselves) {
    auto* result = widget<QLabel>("lblResult");
    const int emptyWidth = result->width();
    panel.lblResult.setCaption("Correct!");
    panel.lblResult.setBackColor(kLightGreen);
    EXPECT_EQ(result->text(), "Correct!");
    EXPECT_GT(result->width(), emptyWidth) << "an autosized label grows with its text";
    EXPECT_TRUE(result->autoFillBackground());
    EXPECT_EQ(result->accessibleName(), "result: Correct!") << "the name follows the caption";
    EXPECT_EQ(result->palette().color(QPalette::Window), QColor(192, 255, 192));

    panel.lblResult.setBackColor(std::nullopt);
    EXPECT_NE(result->palette().color(QPalette::Window), QColor(192, 255, 192));

    auto* minimum = widget<QLabel>("lblMinimum");
    EXPECT_EQ(minimum->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(minimum->frameShape(), QFrame::Box);
}

TEST_F(MainWindowTest, CheckBoxButtonsAndPictureReachTheirHandlers) {
    auto* shepard = widget<QCheckBox>("chkShepard");
    QTest::mouseClick(shepard, Qt::LeftButton);
    EXPECT_TRUE(panel.chkShepard.checked());
    panel.chkShepard.setChecked(false);
    EXPECT_FALSE(shepard->isChecked());

    int plays = 0;
    int forks = 0;
    panel.cmdPlay.onClick = [&plays] { ++plays; };
    panel.pic_Repeat_1_Note.onClick = [&forks] { ++forks; };
    QTest::mouseClick(widget<QPushButton>("cmdPlay"), Qt::LeftButton);
    QTest::mouseClick(widget<QAbstractButton>("pic_Repeat_1_Note"), Qt::LeftButton);
    EXPECT_EQ(plays, 1);
    EXPECT_EQ(forks, 1);

    auto* answer = widget<QPushButton>("cmdAnswerButton(3)");
    panel.cmdAnswerButton[3].setEnabled(false);
    EXPECT_FALSE(answer->isEnabled());
    panel.cmdAnswerButton[3].setCaption("D#");
    EXPECT_EQ(answer->text(), "D#");
}

TEST_F(MainWindowTest, FocusMovesBothWaysAndKeysReachOnlyAFocusedAnswerButton) {
    std::vector<int> typed;
    for (Button& button : panel.cmdAnswerButton) {
        button.onKeyPress = [&typed](int character) { typed.push_back(character); };
    }
    panel.cmdAnswerButton[3].setEnabled(true);
    auto* answer = widget<QPushButton>("cmdAnswerButton(3)");
    answer->setFocus();
    ASSERT_TRUE(answer->hasFocus());
    QTest::keyClick(answer, Qt::Key_W, Qt::NoModifier);
    QTest::keyClick(answer, Qt::Key_Tab);  // no character, and the focus moves on
    EXPECT_EQ(typed, std::vector<int>{'w'});
    EXPECT_FALSE(answer->hasFocus());

    typed.clear();
    auto* stats = widget<QListWidget>("lstStats");
    stats->setFocus();
    QTest::keyClick(stats, Qt::Key_W);
    QTest::keyClick(window.get(), Qt::Key_W);
    EXPECT_TRUE(typed.empty());

    // The focus moves both ways between panel and window.
    panel.cboInstrument.setFocus();
    EXPECT_TRUE(widget<QComboBox>("cboInstrument")->hasFocus());

    widget<OneRowList>("lstResponses")->list()->setFocus();  // a click on it
    EXPECT_EQ(panel.focus().current(), &panel.lstResponses);
    widget<QScrollBar>("vsbTempo")->setFocus();
    EXPECT_EQ(panel.focus().current(), &panel.vsbTempo);

    // Labels, frames and disabled controls never take it.
    EXPECT_EQ(widget<QLabel>("lblTempo")->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(widget<QGroupBox>("Frame1")->focusPolicy(), Qt::NoFocus);
    panel.cmdEraseAnswer.setFocus();
    EXPECT_EQ(panel.focus().current(), &panel.vsbTempo);
}

TEST_F(MainWindowTest, TabVisitsTheControlsInTheirTabIndexOrderAndShiftTabBack) {
    panel.cboInstrument.setFocus();
    std::vector<const Control*> visited = {&panel.cboInstrument};
    while (visited.size() < 100) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const Control* now = panel.focus().current();
        ASSERT_NE(now, nullptr);
        if (now == visited.front()) break;
        ASSERT_GT(DesignOf(now->name()).tabOrder, DesignOf(visited.back()->name()).tabOrder)
            << "Tab after " << visited.back()->name();
        visited.push_back(now);
    }
    EXPECT_GE(visited.size(), 20u);
    EXPECT_EQ(visited[1], &panel.lstResponses);
    for (std::size_t i = visited.size(); i-- > 0;) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        ASSERT_EQ(panel.focus().current(), visited[i]) << "Shift+Tab";
    }
}

// The window's pixels, as a user sees them.
TEST_F(MainWindowTest, ShadedControlsAreDrawnInTheirColour) {
    const QImage shot = window->grab().toImage();
    auto colourAt = [&](const char* name, QPoint offset) {
        return shot.pixelColor(window->widgetOf(name)->mapTo(window.get(), offset));
    };
    const QColor lightGreen(192, 255, 192);
    auto* shepard = widget<QCheckBox>("chkShepard");
    // Right of its caption, and in the frame below the question number.
    EXPECT_EQ(colourAt("chkShepard", {shepard->width() - 3, shepard->height() / 2}), lightGreen);
    EXPECT_EQ(colourAt("Frame5", {60, widget<QGroupBox>("Frame5")->height() - 8}), lightGreen);
    EXPECT_EQ(colourAt("Frame5", {100, 90}), lightGreen);
    EXPECT_EQ(colourAt("cmdAnswerButton(3)", {4, 8}), lightGreen);
}

// The journal's line shows only a problem.
TEST_F(MainWindowTest, StatusLinesGiveTheirWholeMessageToToolTipAndScreenReader) {
    QLabel* sound = Named<QLabel>(*window, "sound output");
    QLabel* journal = Named<QLabel>(*window, "practice journal");
    ASSERT_TRUE(sound && journal);
    EXPECT_TRUE(journal->isHidden());
    const QString message =
        "No sound: audio driver 'pulseaudio' could not be started: the sound server at "
        "/run/user/1000/pulse/native refused the connection after a very long wait";
    window->setSoundStatus(message);
    window->setJournalStatus(message);
    for (QLabel* status : {sound, journal}) {
        EXPECT_FALSE(status->isHidden());
        EXPECT_EQ(status->toolTip(), message);
        EXPECT_LE(status->geometry().right(), window->width()) << "never wider than the window";
    }
    EXPECT_EQ(sound->accessibleDescription(), message);
    EXPECT_TRUE(sound->text().endsWith(QChar(0x2026))) << "a cut message says so";
    EXPECT_EQ(window->size(), QSize(711, window->height())) << "the window keeps its width";

    window->setSoundStatus("Built-in synthesizer");
    window->setJournalStatus("");
    EXPECT_EQ(sound->text(), "Built-in synthesizer");
    EXPECT_EQ(sound->accessibleDescription(), "Built-in synthesizer");
    EXPECT_TRUE(journal->isHidden());
}

TEST_F(MainWindowTest, ResultsTableGrowsRowByRowWithoutRebuilding) {
    auto* table = widget<QTableView>("ListView1");
    QAbstractItemModel* model = table->model();
    ASSERT_EQ(model->columnCount(), 4);
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Question");
    EXPECT_EQ(table->columnWidth(0), 47);  // 700 twips
    EXPECT_FALSE(table->horizontalHeader()->isHidden());
    EXPECT_TRUE(table->showGrid());
    EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(table->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_NE(table->palette().color(QPalette::Inactive, QPalette::Highlight),
              table->palette().color(QPalette::Inactive, QPalette::Base))
        << "the selection stays visible without the focus";

    QSignalSpy resets(model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    constexpr int kRows = 200;
    for (int i = 1; i <= kRows; ++i) {
        panel.ListView1.addRow({std::to_string(i), "C E G", "C E G", "correct"});
    }
    EXPECT_EQ(inserted.count(), kRows);
    EXPECT_EQ(model->index(kRows - 1, 0).data().toString(), QString::number(kRows));

    panel.ListView1.setRow(0, {"1", "C", "D", "wrong"});
    EXPECT_EQ(model->index(0, 3).data().toString(), "wrong");
    panel.ListView1.setSelectedRow(kRows - 1);
    EXPECT_EQ(table->currentIndex().row(), kRows - 1);
    table->setCurrentIndex(model->index(10, 0));
    EXPECT_EQ(panel.ListView1.selectedRow(), 10);
    panel.ListView1.removeLastRow();
    EXPECT_EQ(model->rowCount(), kRows - 1);
    EXPECT_EQ(resets.count(), 0);
}

TEST_F(MainWindowTest, PanelChangesAfterTheWindowIsGoneAreHarmless) {
    window->setSoundStatus("Recorder");
    window.reset();
    panel.lblResult.setCaption("still running");
    panel.lstStats.addItem("line");
    panel.ListView1.addRow({"1", "C", "C", "correct"});
    panel.cboInstrument.setFocus();  // nothing may reach the widgets that are gone
}

}  // namespace
}  // namespace velmora
