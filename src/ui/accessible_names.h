// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QString>

class QAccessibleEvent;
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

// Whether a screen reader is told at once of each new text of this
// control, as of the verdict when it appears, wherever the focus is.
bool AnnouncesItsText(const ControlDesign& design);
// Asks assistive technology to read out `text`, which `widget` now says (its
// accessible name already set to it).
void Announce(QWidget& widget, const QString& text);
// Where announcements go: QAccessible::updateAccessibility unless replaced,
// as a test does to hear them without a screen reader. Returns the one before.
using AnnouncementSink = void (*)(QAccessibleEvent* event);
AnnouncementSink SetAnnouncementSink(AnnouncementSink sink);

// The name to announce: the caption, with what it is a value of when the
// caption alone would be a bare number or word.
QString AccessibleNameFor(const ControlDesign& design, const QString& caption);
// The same, for a control whose description is already known.
QString AccessibleNameFor(const QString& description, const QString& caption);

}  // namespace velmora
