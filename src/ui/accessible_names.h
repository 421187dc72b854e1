#pragma once

#include <QString>

class QWidget;

namespace velmora {

// Presents `window`, a top-level widget of ours, as a window to assistive
// technology: Qt presents a plain top-level QWidget as a "filler", which a
// screen reader does not offer as a window. Call before it is first shown.
void PresentAsWindow(QWidget& window);

struct ControlDesign;

// What a screen reader calls a control whose caption does not say it: lists,
// scroll bars, pictures and the labels that show a value.
QString DescriptionOf(const ControlDesign& design);

// The name to announce: the caption, with what it is a value of when the
// caption alone would be a bare number or word.
QString AccessibleNameFor(const ControlDesign& design, const QString& caption);
// The same, for a control whose description is already known.
QString AccessibleNameFor(const QString& description, const QString& caption);

}  // namespace velmora
