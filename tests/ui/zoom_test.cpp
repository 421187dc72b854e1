// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <cmath>
#include <map>
#include <string>
#include <tuple>

#include "model/trainer_state.h"
#include "model/window_design.h"
#include "ui/help.h"
#include "ui/one_row_list.h"
#include "ui/qt_app.h"
#include "ui/zoom.h"

namespace velmora {
namespace {

class ZoomTest : public MainWindowFixture {
protected:
    // Every control lies inside its container and shows its caption whole.
    void expectNothingClipped(const std::string& when) {
        QWidget* stage = window->centralWidget();
        QWidget* client = window->findChild<QWidget*>("client");
        EXPECT_TRUE(stage->rect().contains(client->geometry())) << when;
        for (const ControlDesign& design : WindowDesign()) {
            QWidget* widget = window->widgetOf(
                QString::fromUtf8(design.name.data(), qsizetype(design.name.size())));
            if (!widget) continue;
            const std::string what = std::string(design.name) + " at " + when;
            EXPECT_TRUE(widget->parentWidget()->rect().contains(widget->geometry())) << what;
            const QFontMetrics metrics = widget->fontMetrics();
            if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
                EXPECT_LE(metrics.horizontalAdvance(label->text()), label->contentsRect().width())
                    << what;
                EXPECT_LE(metrics.ascent() + metrics.descent(), label->contentsRect().height())
                    << what;
            } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
                EXPECT_LE(box->sizeHint().width(), box->width()) << what;
            } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
                EXPECT_LE(metrics.horizontalAdvance(button->text()) + 4, button->width()) << what;
                EXPECT_LE(button->iconSize().height(), button->height()) << what;
            } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
                QStyleOptionGroupBox option;
                option.initFrom(frame);
                option.text = frame->title();
                option.subControls = QStyle::SC_GroupBoxLabel;
                const QRect title = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                                   QStyle::SC_GroupBoxLabel, frame);
                // The ink of the title, which the style measures so too.
                const int ink = metrics.boundingRect(frame->title()).width();
                EXPECT_LE(title.left() + ink, frame->width()) << what;
                EXPECT_GE(title.width(), ink) << what;
            } else if (auto* oneRow = qobject_cast<OneRowList*>(widget)) {
                EXPECT_LE(oneRow->list()->verticalHeader()->defaultSectionSize(),
                          oneRow->list()->viewport()->height())
                    << what;
            }
        }
    }
};

TEST_F(ZoomTest, EveryZoomAndWindowSizeKeepsControlsInsideAndCaptionsWhole) {
    std::map<QWidget*, qreal> actualPoints;
    for (QWidget* widget : window->findChild<QWidget*>("client")->findChildren<QWidget*>()) {
        actualPoints[widget] = widget->font().pointSizeF();
    }
    const QSize screen = window->screen()->availableGeometry().size();
    for (int percent : {100, 150, 200, 300}) {
        window->setZoomPercent(percent);
        const int zoom = window->zoomPercent();
        const QSize around = window->size() - window->centralWidget()->size();
        // As asked, or as large as the screen allows.
        if ((ClientSize(percent) + around).boundedTo(screen) == ClientSize(percent) + around) {
            EXPECT_EQ(zoom, percent);
        } else {
            EXPECT_LT(zoom, percent);
            EXPECT_TRUE(QRect(QPoint(), screen).contains(QRect(QPoint(), window->size())));
        }
        EXPECT_EQ(window->centralWidget()->size(), window->findChild<QWidget*>("client")->size())
            << "the window fits the design at " << zoom;
        expectNothingClipped(std::to_string(zoom) + " %");
        // The text grows with the rest (a little less where it must fit).
        for (auto [widget, points] : actualPoints) {
            EXPECT_NEAR(widget->font().pointSizeF() / points, zoom / 100.0, 0.1 * zoom / 100)
                << widget->objectName().toStdString() << " at " << zoom;
        }
    }
    // Dragged by the user, wider or taller than the design's proportions.
    for (QSize size : {QSize(1200, 500), QSize(900, 900), QSize(3000, 1400), QSize(100, 100)}) {
        window->resize(size);
        QCoreApplication::processEvents();
        expectNothingClipped(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        const QWidget* client = window->findChild<QWidget*>("client");
        const QSize room = window->centralWidget()->size() - client->size();
        EXPECT_LE(std::abs(room.width() - 2 * client->x()), 1) << "centred across";
        EXPECT_LE(std::abs(room.height() - 2 * client->y()), 1) << "centred down";
    }
    // Larger than the design in both directions: the design grows with it.
    window->setZoomPercent(100);
    const int before = window->zoomPercent();
    window->resize(window->size() * 2);
    QCoreApplication::processEvents();
    EXPECT_GT(window->zoomPercent(), before);
}

TEST_F(ZoomTest, ShortcutsStepTheZoomWithinItsLimits) {
    QSignalSpy changes(window.get(), &MainWindow::zoomChanged);
    auto press = [this](int key) {
        QTest::keyClick(window.get(), Qt::Key(key), Qt::ControlModifier);
        return window->zoomPercent();
    };
    int zoom = window->zoomPercent();
    EXPECT_GT(press(Qt::Key_Plus), zoom);
    zoom = window->zoomPercent();
    EXPECT_GT(press(Qt::Key_Equal), zoom);
    zoom = window->zoomPercent();
    EXPECT_LT(press(Qt::Key_Minus), zoom);
    EXPECT_EQ(press(Qt::Key_0), 100);
    EXPECT_EQ(press(Qt::Key_Minus), 100) << "no smaller than the design";
    const qsizetype changed = changes.count();
    for (int i = 0; i < 20; ++i) press(Qt::Key_Plus);
    // 300 %, or less where the screen cannot hold that.
    const int largest = window->zoomPercent();
    EXPECT_LE(largest, 300);
    EXPECT_EQ(press(Qt::Key_Plus), largest);
    ASSERT_GT(changes.count(), changed);
    EXPECT_EQ(changes.last().at(0).toInt(), largest);
    for (int odd : {-5, 0, 99999}) {
        window->setZoomPercent(odd);
        EXPECT_GE(window->zoomPercent(), 100);
        EXPECT_LE(window->zoomPercent(), 300);
    }
}

// A zoom above what the screen holds now: remembered from a larger screen, or
// a window dragged larger than the screen.
TEST_F(ZoomTest, ZoomInNeverLowersTheZoomNorZoomOutRaisesIt) {
    window->resize(window->screen()->availableGeometry().size() * 2);
    QCoreApplication::processEvents();
    const int large = window->zoomPercent();
    QSignalSpy changes(window.get(), &MainWindow::zoomChanged);
    QTest::keyClick(window.get(), Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(window->zoomPercent(), large);
    EXPECT_EQ(changes.count(), 0) << "nothing to remember";
    QTest::keyClick(window.get(), Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_LT(window->zoomPercent(), large);
}

TEST(ZoomArithmetic, ZoomInGoesUpAsFarAsFitsAndNeverDown) {
    // From, the largest that fits, to.
    const std::tuple<int, int, int> cases[] = {
        {100, 300, 110}, {150, 300, 175}, {150, 160, 160}, {200, 180, 200}, {300, 300, 300}};
    for (auto [from, largest, to] : cases) {
        EXPECT_EQ(ZoomInWithin(from, largest), to) << from << " where " << largest << " fits";
    }
}

TEST(ZoomArithmetic, TheWindowAtAZoomFitsThatZoomAndTextMatchesTheDesktops) {
    for (int percent = kSmallestZoom; percent <= kLargestZoom; ++percent) {
        // Otherwise sizing the window for a zoom would pick another one.
        ASSERT_EQ(FittingZoom(ClientSize(percent)), percent);
        ASSERT_LT(FittingZoom(ClientSize(percent) - QSize(1, 1)), std::max(percent, 101));
    }
    for (double points : {8.0, 10.0, 12.0, 18.0}) {
        EXPECT_NEAR(ZoomForTextOf(points) * 8.0 / 100, points, 0.05) << points;
    }
    for (double odd : {0.0, -3.0, 5.0, std::nan(""), 1e300}) {
        const int zoom = ZoomForTextOf(odd);
        EXPECT_TRUE(zoom >= kSmallestZoom && zoom <= kLargestZoom) << odd;
    }
}

TEST_F(ZoomTest, HelpShowsTheGuideAndAboutTellsWhatPlays) {
    QTest::keyClick(window.get(), Qt::Key_F1);
    auto* guide = window->findChild<QTextBrowser*>("guide");
    ASSERT_NE(guide, nullptr);
    EXPECT_TRUE(guide->isVisible());
    EXPECT_TRUE(guide->window()->isWindow() && guide->window() != window.get());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(guide->window())->role(), QAccessible::Window)
        << "offered to screen readers as a window";
    EXPECT_FALSE(guide->window()->isModal());
    // The table of keys: pitch names above, their letters below.
    auto* table = qobject_cast<QTextTable*>(guide->document()->rootFrame()->childFrames().value(0));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->columns(), kPitchClasses + 1);
    auto column = [table](int column) {
        return table->cellAt(0, column).firstCursorPosition().block().text() + " over " +
               table->cellAt(1, column).firstCursorPosition().block().text();
    };
    EXPECT_EQ(column(1), "C over C");
    EXPECT_EQ(column(4), "Eb over W");
    EXPECT_EQ(column(12), "B over B");

    const QString about = AboutHtml("Built-in synthesizer · FluidR3_GM.sf2 <pulse>");
    EXPECT_TRUE(about.contains("MIT")) << "the SoundFont's licence";
    EXPECT_TRUE(about.contains("&lt;pulse&gt;")) << "the sound's text is not markup";
    EXPECT_TRUE(about.contains("GNU General Public License, version 3 or later"));
    EXPECT_TRUE(about.contains("href=\"https://www.gnu.org/licenses/gpl-3.0.html\""));
    EXPECT_TRUE(SoundFontLicence("SoundFont my-own.sf2").isEmpty());
}

}  // namespace
}  // namespace velmora
