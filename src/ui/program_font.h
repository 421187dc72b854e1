// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QFont>

namespace velmora {

// The text of every window but the trainer's own drawing: menus, status
// lines, tooltips, dialogs, the Progress window. It follows the zoom: as large
// as the trainer's text (8 points at 100 %), never smaller than the desktop's.
class ProgramFont {
public:
    // The desktop's fonts as they were before any zoom changed them.
    static const QFont& DesktopFont();
    // The point size of the program's text at `zoomPercent`.
    static qreal PointsAt(int zoomPercent);
    // The font of a kind of widget ("QMenuBar"), or the program's own, at `zoomPercent`.
    static QFont At(int zoomPercent, const char* kind = nullptr);
    // Sets the application's fonts, each of the desktop's own kinds (menus,
    // tooltips, ...) grown by the same factor.
    static void Apply(int zoomPercent);
    // The desktop's fonts again, as before the first Apply.
    static void Restore();
};

}  // namespace velmora
