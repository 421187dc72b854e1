// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// The window draws again only what changed, and still shows what drawing it
// afresh would show.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPaintEvent>
#include <QScreen>
#include <QStandardItemModel>
#include <QTest>

#include "desktop/qt_scheduler.h"
#include "ui/control_binding.h"
#include "ui/list_box_widget.h"
#include "ui/qt_app.h"
#include "ui/results_table.h"

namespace velmora {
namespace {

void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

::testing::AssertionResult ShowsAsDrawnAfresh(QWidget& window) {
    Settle();
    const auto rgb = [](const QPixmap& pixmap) {
        return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
    };
    if (rgb(window.screen()->grabWindow(window.winId())) == rgb(window.grab())) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "the screen shows stale pixels";
}

// What a widget has drawn since the last take(), and the layouts asked of it.
class PaintRecorder final : public QObject {
public:
    explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
    QRegion take() { return std::exchange(painted_, QRegion()); }
    int layoutRequests = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted_ += static_cast<QPaintEvent*>(event)->region();
        if (event->type() == QEvent::LayoutRequest) ++layoutRequests;
        return false;
    }

private:
    QRegion painted_;
};

class RedrawTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureQtApplication(); }
    void show() {
        window.resize(320, 200);
        window.show();
        Settle();
    }
    QWidget window;
};

TEST_F(RedrawTest, ResultsTableDrawsTheNewRowAndTheOneThatLostTheSelection) {
    QStandardItemModel model(0, 2);
    auto* table = new ResultsTable(&window);
    table->setModel(&model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setGeometry(0, 0, 300, 120);  // the last row shows only in part
    auto addRow = [&](const QString& text) {
        model.appendRow({new QStandardItem(text), new QStandardItem(text + "!")});
        table->setCurrentIndex(model.index(model.rowCount() - 1, 0));
        table->scrollTo(table->currentIndex());
    };
    show();
    for (int i = 0; i < 3; ++i) addRow(QString::number(i));
    EXPECT_TRUE(ShowsAsDrawnAfresh(window)) << "rows added to a table not yet full";
    for (int i = 3; i < 30; ++i) addRow(QString::number(i));
    EXPECT_TRUE(ShowsAsDrawnAfresh(window)) << "rows scrolled in";

    PaintRecorder viewport(table->viewport());
    addRow("30");
    Settle();
    EXPECT_LE(viewport.take().boundingRect().height(), 2 * table->rowHeight(0));
    EXPECT_TRUE(ShowsAsDrawnAfresh(window));

    table->scrollToTop();
    addRow("31");
    EXPECT_TRUE(ShowsAsDrawnAfresh(window)) << "scrolled back to the end";
    model.removeRow(model.rowCount() - 1);
    EXPECT_TRUE(ShowsAsDrawnAfresh(window)) << "last row removed";
}

TEST_F(RedrawTest, ListBoxLaysOutAgainOnlyForAnItemOfAnotherSize) {
    auto* list = new ListBoxWidget(&window);
    list->setGeometry(0, 0, 140, 60);
    list->addItems({"Right: 1", "Wrong: 2", "Percentage: 33.33%", "Streak: 0"});
    show();
    PaintRecorder viewport(list->viewport());
    list->item(1)->setText("Wrong: 3");
    Settle();
    EXPECT_EQ(viewport.take().boundingRect(), list->visualItemRect(list->item(1)));
    EXPECT_TRUE(ShowsAsDrawnAfresh(window));

    list->item(2)->setText("Percentage: 33.333333333333333333333%");
    Settle();
    EXPECT_GT(list->horizontalScrollBar()->maximum(), 0) << "a wider item is laid out";
    EXPECT_TRUE(ShowsAsDrawnAfresh(window));
}

using MainWindowRedrawTest = MainWindowFixture;

TEST_F(MainWindowRedrawTest, NotesOfARunCostTheWindowNoDrawing) {
    panel.lstPitch.setSelected(0, true);
    panel.vsbTempo.setValue(240);
    panel.lstDuration.setListIndex(4);  // 16th: 62.5 ms a note
    panel.cmdPlay.click();
    EXPECT_TRUE(ShowsAsDrawnAfresh(*window));

    // A note's end and the next one's start leave the question number as it
    // was: nothing beneath it is drawn, and its frame lays nothing out.
    auto* number = window->findChild<QLabel*>("lblQuestionNumber");
    PaintRecorder frame(number->parentWidget());
    PaintRecorder client(window->centralWidget());
    for (int note = 0; note < 3; ++note) {
        clock.advanceBy(std::chrono::microseconds(62500));
        Settle();
    }
    EXPECT_TRUE(frame.take().isEmpty());
    EXPECT_TRUE(client.take().isEmpty());
    EXPECT_EQ(frame.layoutRequests, 0);

    // Within one step of the real scheduler the label is not even touched.
    PaintRecorder label(number);
    QtScheduler scheduler;
    scheduler.setPass(&AsOneStep);
    bool fired = false;
    scheduler.startTimer(scheduler.now(), [&] {
        panel.lblQuestionNumber.setCaption("");
        panel.lblQuestionNumber.setCaption("Q # 1");
        panel.lblTempo.setCaption("99");
        EXPECT_EQ(window->findChild<QLabel*>("lblTempo")->text(), "240") << "waits for the step";
        fired = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return fired; }));
    Settle();
    EXPECT_TRUE(label.take().isEmpty());
    EXPECT_EQ(window->findChild<QLabel*>("lblTempo")->text(), "99");
    EXPECT_TRUE(ShowsAsDrawnAfresh(*window));

    // A window closed while its labels wait is simply not shown to.
    {
        const ViewBatch step;
        panel.lblQuestionNumber.setCaption("Q # 2");
        window.reset();
    }
    EXPECT_EQ(panel.lblQuestionNumber.caption(), "Q # 2");
}

}  // namespace
}  // namespace velmora
