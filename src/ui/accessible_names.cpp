// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/accessible_names.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>

#include <string_view>
#include <utility>

#include "model/window_design.h"

namespace velmora {

namespace {

struct Description {
    std::string_view control;
    const char* text;
};

// Tooltips that are short and plain serve as they are; these need words.
constexpr Description kDescriptions[] = {
    {"cboInstrument", "instrument"},
    {"lstPitch", "pitches to ask"},
    {"lstStats", "statistics"},
    {"lstResponses", "responses"},
    {"ListView1", "results"},
    {"lblResult", "result"},
    {"vsbMinimum", "minimum number of chord tones"},
    {"vsbMaximum", "maximum number of chord tones"},
    {"lblNoteRange(0)", "note range low"},
    {"vsbNoteRange(0)", "note range low"},
    {"lblNoteRange(1)", "note range high"},
    {"vsbNoteRange(1)", "note range high"},
    {"lblTimeElapsed", "time elapsed"},
    {"lblPracticeTime", "practice time for this exercise"},
    {"vsbAlottedTimeForExercise", "practice time for this exercise"},
    {"lstKeySignature", "enharmonic names"},
    {"cmdPlay", "Play"},
    {"cmdPlayStop", "Stop MIDI"},
    {"pic_Repeat_1_Note", "Play one note in different octaves and timbres"},
    {"lblQuestionNumber", "question number"},
    {"lstDuration", "note duration"},
    {"lblTempo", "tempo"},
    {"vsbTempo", "tempo"},
};

}  // namespace

bool AnnouncesItsText(const ControlDesign& design) {
    return design.name == "lblResult";
}

namespace {
AnnouncementSink announcementSink = &QAccessible::updateAccessibility;
}  // namespace

AnnouncementSink SetAnnouncementSink(AnnouncementSink sink) {
    return std::exchange(announcementSink, sink ? sink : &QAccessible::updateAccessibility);
}

void Announce(QWidget& widget, const QString& text) {
    if (text.isEmpty()) return;
    // The name already carries the text (setting it told of the change); the
    // alert asks for it to be read out.
    QAccessibleEvent alert(&widget, QAccessible::Alert);
    announcementSink(&alert);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // Since Qt 6.8 the desktop's bridge passes on an announcement as such.
    QAccessibleAnnouncementEvent announcement(&widget, text);
    announcementSink(&announcement);
#endif
}

QString DescriptionOf(const ControlDesign& design) {
    for (const Description& entry : kDescriptions) {
        if (entry.control == design.name) return QString::fromUtf8(entry.text);
    }
    return QString::fromUtf8(design.toolTip.data(), static_cast<qsizetype>(design.toolTip.size()));
}

QString AccessibleNameFor(const ControlDesign& design, const QString& caption) {
    return AccessibleNameFor(DescriptionOf(design), caption);
}

QString AccessibleNameFor(const QString& description, const QString& caption) {
    if (caption.isEmpty()) return description;
    if (description.isEmpty() || description.compare(caption, Qt::CaseInsensitive) == 0) {
        return caption;
    }
    return description + ": " + caption;
}

namespace {

constexpr const char* kOwnWindow = "velmoraOwnWindow";

QAccessibleInterface* OwnWindowFactory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && widget->isWindow() && widget->property(kOwnWindow).toBool()) {
        return new QAccessibleWidget(widget, QAccessible::Window);
    }
    return nullptr;
}

}  // namespace

void PresentAsWindow(QWidget& window) {
    static const bool installed = (QAccessible::installFactory(OwnWindowFactory), true);
    (void)installed;
    window.setProperty(kOwnWindow, true);
}

}  // namespace velmora
