// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>

#include <algorithm>
#include <vector>

#include "ui/accessible_names.h"
#include "ui/program_font.h"
#include "ui/qt_app.h"
#include "ui/value_words.h"
#include "ui/zoom.h"

namespace velmora {
namespace {

class WindowAccessTest : public MainWindowFixture {
protected:
    QScrollBar* bar(const char* name) { return qobject_cast<QScrollBar*>(window->widgetOf(name)); }

    static QString valueText(QWidget* widget) {
        QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(widget);
        return shown ? shown->text(QAccessible::Value) : QString();
    }

    QMenu* viewMenu() { return window->findChild<QMenu*>("mnuView"); }

    QAction* viewItem(const QString& text) {
        for (QAction* item : viewMenu()->actions()) {
            if (item->text() == text) return item;
        }
        return nullptr;
    }

    // The checked zoom step, as the menu shows it when opened.
    QString checkedZoom() {
        emit viewMenu()->aboutToShow();
        for (QAction* item : viewMenu()->actions()) {
            if (item->isCheckable() && item->isChecked() && item->isVisible()) return item->text();
        }
        return {};
    }
};

TEST_F(WindowAccessTest, BarsReadTheirValuesAsTheWindowShowsThem) {
    QScrollBar* low = bar("vsbNoteRange(0)");
    ASSERT_NE(low, nullptr);
    EXPECT_EQ(valueText(low), "C2");
    low->setValue(37);
    const QString sharp = valueText(low);
    EXPECT_TRUE(sharp == "C#2" || sharp == "Db2") << sharp.toStdString();
    // Another key signature respells the note the bar holds.
    const QString before = sharp;
    for (int key = 0; key < 12; ++key) {
        panel.lstKeySignature.setListIndex(key);
        EXPECT_EQ(valueText(low), window->findChild<QLabel*>("lblNoteRange(0)")->text());
    }
    EXPECT_EQ(valueText(bar("vsbNoteRange(1)")), "C6");
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(bar("vsbNoteRange(1)"))
                    ->text(QAccessible::Description)
                    .startsWith("C6"));
    EXPECT_EQ(valueText(bar("vsbMinimum")), "1");
    EXPECT_EQ(valueText(bar("vsbAlottedTimeForExercise")), "5 minutes");
    bar("vsbAlottedTimeForExercise")->setValue(121);
    EXPECT_EQ(valueText(bar("vsbAlottedTimeForExercise")), "2 minutes 1 second");
    EXPECT_EQ(valueText(bar("vsbTempo")), "60 beats per minute");
    EXPECT_EQ(MinutesInWords(90), "1 minute 30 seconds");
}

// The texts announced as alerts, as the labels said them then.
std::vector<QString>* announced = nullptr;

void RecordAlert(QAccessibleEvent* event) {
    auto* label = qobject_cast<QLabel*>(event->object());
    if (announced && label && event->type() == QAccessible::Alert) {
        announced->push_back(label->objectName() + ": " + label->text());
    }
}

TEST_F(WindowAccessTest, TheVerdictIsAnnouncedWhenItAppears) {
    std::vector<QString> alerts;
    announced = &alerts;
    const AnnouncementSink before = SetAnnouncementSink(RecordAlert);
    for (int i = 0; i < kPitchClasses; ++i) panel.lstPitch.setSelected(i, i == 3 || i == 4);
    panel.cmdPlay.click();
    trainer.state().questionNotes = {63};
    const auto verdicts = [&] {
        return std::count_if(alerts.begin(), alerts.end(), [](const QString& alert) {
            return alert == "lblResult: Correct" || alert == "lblResult: Incorrect";
        });
    };
    EXPECT_EQ(verdicts(), 0);
    panel.cmdAnswerButton[4].click();
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back(), "lblResult: Incorrect");
    clock.advanceBy(std::chrono::seconds(4));  // asked again
    panel.cmdAnswerButton[3].click();
    EXPECT_EQ(alerts.back(), "lblResult: Correct");
    EXPECT_EQ(verdicts(), 2) << "each verdict once";
    SetAnnouncementSink(before);
    announced = nullptr;
}

TEST_F(WindowAccessTest, ScrollBarsAndListsShowWhereTheFocusIs) {
    for (const char* name : {"vsbTempo", "lstPitch", "vsbNoteRange(0)"}) {
        QWidget* face = window->widgetOf(name);
        ASSERT_NE(face, nullptr) << name;
        auto* mark = face->findChild<QWidget*>("focusMark", Qt::FindDirectChildrenOnly);
        ASSERT_NE(mark, nullptr) << name;
        face->setFocus();
        EXPECT_TRUE(mark->isVisible()) << name;
        EXPECT_EQ(mark->geometry(), face->rect()) << name;
        window->widgetOf("cmdPlay")->setFocus();
        EXPECT_FALSE(mark->isVisible()) << name;
    }
}

TEST_F(WindowAccessTest, TheViewMenuShowsTheZoomAndDisablesWhatWouldChangeNothing) {
    window->setZoomPercent(100);
    EXPECT_EQ(checkedZoom(), "100 %");
    EXPECT_FALSE(viewItem("Zoom &Out")->isEnabled());
    EXPECT_FALSE(viewItem("&Actual Size")->isEnabled());

    // The next step up, where the screen holds it.
    QAction* next = viewItem("110 %");
    ASSERT_NE(next, nullptr);
    if (next->isEnabled()) {
        EXPECT_TRUE(viewItem("Zoom &In")->isEnabled());
        next->trigger();
        EXPECT_EQ(window->zoomPercent(), 110);
        EXPECT_EQ(checkedZoom(), "110 %");
        EXPECT_TRUE(viewItem("Zoom &Out")->isEnabled());
    }

    for (int i = 0; i < 20; ++i) QTest::keyClick(window.get(), Qt::Key_Plus, Qt::ControlModifier);
    const int largest = window->zoomPercent();
    emit viewMenu()->aboutToShow();
    EXPECT_FALSE(viewItem("Zoom &In")->isEnabled()) << "at " << largest;
    for (QAction* item : viewMenu()->actions()) {
        if (item->data().toInt() > largest) {
            EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
        }
    }

    // The window dragged smaller: the design fits it, the choice stays.
    QSignalSpy chosen(window.get(), &MainWindow::zoomChanged);
    window->resize(window->size() * 3 / 4);
    QCoreApplication::processEvents();
    const int fitted = window->zoomPercent();
    EXPECT_LE(fitted, largest);
    EXPECT_EQ(window->chosenZoomPercent(), largest);
    EXPECT_EQ(chosen.count(), 0) << "nothing new to remember";
    const auto steps = ZoomSteps();
    const bool isStep = std::find(steps.begin(), steps.end(), fitted) != steps.end();
    EXPECT_EQ(checkedZoom(), isStep ? QStringLiteral("%1 %").arg(fitted)
                                    : QStringLiteral("%1 % (as large as the window)").arg(fitted));
}

TEST_F(WindowAccessTest, EveryWindowsTextFollowsTheZoom) {
    QTest::keyClick(window.get(), Qt::Key_F1);
    auto* guide = window->findChild<QTextBrowser*>("guide");
    ASSERT_NE(guide, nullptr);
    QWidget other(nullptr, Qt::Window);  // as any dialog of the program
    for (int percent : {100, 200, 300}) {
        window->setZoomPercent(percent);
        QCoreApplication::processEvents();
        const int zoom = window->chosenZoomPercent();
        const qreal points = ProgramFont::PointsAt(zoom);
        EXPECT_DOUBLE_EQ(points,
                         std::max(ProgramFont::DesktopFont().pointSizeF(), 8.0 * zoom / 100));
        for (QWidget* shown : std::initializer_list<QWidget*>{
                 window->menuBar(), window->statusBar(), window->findChild<QMenu*>("mnuView"),
                 window->practiceMenu(), guide, &other}) {
            EXPECT_DOUBLE_EQ(shown->font().pointSizeF(), points)
                << shown->metaObject()->className() << " at " << zoom;
        }
        // Every title on the bar, none behind its overflow button.
        for (QAction* title : window->menuBar()->actions()) {
            const QRect place = window->menuBar()->actionGeometry(title);
            EXPECT_TRUE(place.isValid() && place.right() < window->menuBar()->width())
                << title->text().toStdString() << " at " << zoom;
        }
        EXPECT_DOUBLE_EQ(QApplication::font("QTipLabel").pointSizeF(), points) << "tooltips";
        EXPECT_DOUBLE_EQ(QApplication::font("QMessageBox").pointSizeF(), points) << "About";
    }
}

}  // namespace
}  // namespace velmora
