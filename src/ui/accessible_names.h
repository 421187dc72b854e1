#pragma once

#include <QString>

namespace velmora {

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
