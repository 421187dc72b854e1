// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QString>

namespace velmora {

// Makes the program's resources (pictures, the guide) readable; once is enough.
void RegisterProgramResources();

// The program's pictures, drawn from the SVGs in the resources.
QIcon WindowIcon();
QIcon PlayIcon();
QIcon StopIcon();
QIcon TuningForkIcon();
// The answer buttons' cursor, with the hot spot the drawing names.
QCursor PointingHandCursor();

inline constexpr QSize kPlayIconSize{28, 24};
inline constexpr QSize kTuningForkSize{30, 32};

// The hot spot written in an SVG as "<!-- hotspot: X Y -->", or (0, 0).
QPoint HotSpotOf(const QString& svgText);

}  // namespace velmora
