// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QColor>

#include <optional>

#include "model/window_design.h"

class QWidget;

namespace velmora {

QColor ToQColor(Rgb rgb);

// The colour a design shade stands for; empty for the container's own.
std::optional<QColor> ShadeColor(Shade shade);

// Paints the widget's background in that colour, or gives it back its
// container's when empty. Buttons and lists take it as their face.
void SetBackground(QWidget* widget, std::optional<QColor> color);

}  // namespace velmora
