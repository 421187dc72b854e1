// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/window_placement.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "testing/temp_dir.h"
#include "ui/remembered_choices.h"

namespace velmora {
namespace {

// Whether a window of `size` has any place on `screen` clear of `avoid`,
// trying every place a few pixels apart.
bool AnyPlaceClearOf(const QRect& screen, QSize size, const QRect& avoid) {
    for (int x = screen.left(); x + size.width() - 1 <= screen.right(); x += 4) {
        for (int y = screen.top(); y + size.height() - 1 <= screen.bottom(); y += 4) {
            if (!QRect(QPoint(x, y), size).intersects(avoid)) return true;
        }
    }
    return false;
}

// The answer buttons: a strip along the bottom of the trainer's window.
QRect AnswerButtonsOf(const QRect& trainer) {
    return QRect(trainer.left() + 12, trainer.bottom() - 110, trainer.width() - 24, 90);
}

// Trainers of three sizes all over a laptop's screen and a large one, the
// second of them right of a first monitor.
TEST(WindowPlacementTest, BesideWhenThereIsRoomNeverOverTheAnswerButtonsAlwaysOnScreen) {
    const QSize wanted(1060, 1000);
    const QSize enough(700, 420);
    const QSize least(560, 200);
    for (const QRect screen : {QRect(0, 0, 1366, 728), QRect(1920, 0, 2560, 1400)}) {
        for (const QSize trainerSize : {QSize(560, 420), QSize(900, 650), screen.size()}) {
            for (int across = 0; across <= 4; ++across) {
                for (int down = 0; down <= 2; ++down) {
                    const QPoint at(
                        screen.left() + (screen.width() - trainerSize.width()) * across / 4,
                        screen.top() + (screen.height() - trainerSize.height()) * down / 2);
                    const QRect trainer(at, trainerSize);
                    const QRect keep = AnswerButtonsOf(trainer);
                    const QRect place = PlaceBeside({screen, trainer, keep, wanted, enough, least});
                    SCOPED_TRACE(::testing::Message()
                                 << "trainer at " << at.x() << "," << at.y() << " size "
                                 << trainerSize.width() << "x" << trainerSize.height());
                    EXPECT_TRUE(screen.contains(place));
                    EXPECT_GE(place.width(), least.width());
                    EXPECT_GE(place.height(), std::min(least.height(), screen.height()));
                    const QSize fits = wanted.boundedTo(screen.size());
                    if (screen.right() - trainer.right() >= fits.width()) {
                        EXPECT_EQ(place.left(), trainer.right() + 1) << "right of the trainer";
                        EXPECT_EQ(place.size(), fits);
                    } else if (trainer.left() - screen.left() >= fits.width()) {
                        EXPECT_EQ(place.right(), trainer.left() - 1) << "left of the trainer";
                        EXPECT_EQ(place.size(), fits);
                    }
                    if (AnyPlaceClearOf(screen, fits, trainer)) {
                        EXPECT_FALSE(place.intersects(trainer)) << "hides the trainer needlessly";
                    }
                    if (AnyPlaceClearOf(screen, least, keep)) {
                        EXPECT_FALSE(place.intersects(keep)) << "over the answer buttons";
                    }
                    if (AnyPlaceClearOf(screen, enough, keep)) {
                        EXPECT_GE(place.width(), enough.width()) << "shrunk needlessly";
                        EXPECT_GE(place.height(), enough.height()) << "shrunk needlessly";
                    }
                }
            }
        }
    }
}

TEST(WindowPlacementTest, ARememberedPlaceOnAScreenGoneIsNotUsed) {
    const QRect left(0, 0, 1920, 1050);
    const QRect right(1920, 0, 1366, 728);
    const QRect onRight(2200, 100, 900, 600);
    EXPECT_EQ(OntoScreens(onRight, {left, right}), onRight);
    EXPECT_EQ(OntoScreens(onRight, {left}), std::nullopt) << "the second monitor unplugged";
    // Mostly on the screen: pushed wholly onto it, and shrunk to fit.
    EXPECT_EQ(OntoScreens(QRect(1300, -30, 900, 1200), {left}), QRect(1020, 0, 900, 1050));
    EXPECT_EQ(OntoScreens(QRect(), {left}), std::nullopt);
}

TEST(WindowPlacementTest, ThePlaceIsRememberedAndAHandEditedOneIgnored) {
    const testing::TempDir dir;
    const QString file = QString::fromStdString((dir.path() / "velmora.conf").string());
    {
        RememberedChoices choices(file);
        EXPECT_EQ(choices.progressWindowGeometry(), std::nullopt);
        choices.rememberProgressWindowGeometry(QRect(-1200, 40, 1000, 700));
    }
    EXPECT_EQ(RememberedChoices(file).progressWindowGeometry(), QRect(-1200, 40, 1000, 700));
    for (const std::string bad :
         {"10 20 1000", "10 20 wide 700", "10 20 30 40", "10 20 -1000 700", "1e9 0 800 600"}) {
        std::ofstream(dir.path() / "velmora.conf") << "[progress]\nwindow-geometry=" << bad << "\n";
        EXPECT_EQ(RememberedChoices(file).progressWindowGeometry(), std::nullopt) << bad;
    }
}

}  // namespace
}  // namespace velmora
