#pragma once

class QWidget;

namespace velmora {

struct ControlDesign;

// A widget of the design's kind at its place inside `parent`, with its
// design-time look: font, shade, border and whether it takes the focus.
// Texts and state come later from the panel.
QWidget* CreateWidget(const ControlDesign& design, QWidget* parent);

// The widget that holds the focus and the items, where it is not the widget
// itself (a one-row list's inner list).
QWidget* FaceOf(QWidget* widget);

}  // namespace velmora
