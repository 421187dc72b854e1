// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QRect>
#include <QSize>

#include <optional>
#include <vector>

namespace velmora {

// What a second window is placed around; every rectangle in global
// coordinates, every one a window's frame.
struct PlacementAround {
    QRect screen;     // the screen's available area
    QRect trainer;    // the trainer's window
    QRect keepClear;  // its answer buttons: the learner must always reach them
    QSize wanted;     // the size to open at
    QSize enough;     // the smallest size worth opening at, but to spare the answer buttons
    QSize least;      // the window's least size
};

// Where to open the window: beside the trainer (right, else left) where the
// screen has room; else where it hides the least of the trainer, never over
// its answer buttons while any other place will do, shrunk below `enough`
// (to `least` at most) only when that spares them. Always wholly on the screen.
QRect PlaceBeside(const PlacementAround& around);

// A window remembered at `remembered`, on the screens' available areas now:
// moved wholly onto the screen holding most of it, or none when no screen
// holds at least half of it (a monitor unplugged since).
std::optional<QRect> OntoScreens(const QRect& remembered, const std::vector<QRect>& screens);

}  // namespace velmora
