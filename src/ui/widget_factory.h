// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

class QWidget;

namespace velmora {

struct ControlDesign;

// A widget of the design's kind at its place inside `parent`, with its
// design-time look: font, shade, border and whether it takes the focus.
// Texts and state come later from the panel.
QWidget* CreateWidget(const ControlDesign& design, QWidget* parent);

// Puts a widget made by CreateWidget at its place, with its fonts and
// pictures, at a zoom in percent; its container is already zoomed.
void PlaceWidget(QWidget* widget, const ControlDesign& design, int zoomPercent);

// The widget that holds the focus and the items, where it is not the widget
// itself (a one-row list's inner list).
QWidget* FaceOf(QWidget* widget);

}  // namespace velmora
