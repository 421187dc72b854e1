// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/simple_bindings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>

#include "model/window_design.h"
#include "ui/accessible_names.h"
#include "ui/shading.h"

namespace velmora {

using Kind = ControlChange::Kind;

namespace {

// A character the user typed, as the key-press handlers take it; shortcuts
// and keys without a character (Tab, arrows) are left to Qt.
int TypedCharacter(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return 0;
    const QString text = event.text();
    if (text.size() != 1 || !text.front().isPrint()) return 0;
    return text.front().unicode();
}

}  // namespace

QString LiteralAmpersands(const std::string& caption) {
    return ToQt(caption).replace('&', "&&");
}

LabelBinding::LabelBinding(Label& label, const ControlDesign& design, QLabel* widget)
    : WidgetBinding(label, design, widget),
      label_(label),
      widget_(widget),
      description_(DescriptionOf(design)) {}

void LabelBinding::show(const ControlChange& change) {
    WidgetBinding::show(change);
    if (change.kind != Kind::Properties) return;
    const QString caption = ToQt(label_.caption());
    if (widget_->text() != caption) {
        widget_->setText(caption);
        if (design().autoSize) widget_->adjustSize();
        widget_->setAccessibleName(AccessibleNameFor(description_, caption));
        if (AnnouncesItsText(design())) Announce(*widget_, caption);
    }
    const auto& color = label_.backColor();
    const std::optional<QColor> background =
        color ? std::optional(ToQColor(*color)) : ShadeColor(design().shade);
    if (shownBackground_ != background) {
        SetBackground(widget_, background);
        shownBackground_ = background;
    }
}

FrameBinding::FrameBinding(Frame& frame, const ControlDesign& design, QGroupBox* widget)
    : WidgetBinding(frame, design, widget), frame_(frame), widget_(widget) {}

void FrameBinding::show(const ControlChange& change) {
    WidgetBinding::show(change);
    if (change.kind != Kind::Properties) return;
    widget_->setTitle(ToQt(frame_.caption()));
    widget_->setAccessibleName(widget_->title());
}

ButtonBinding::ButtonBinding(Button& button, const ControlDesign& design, QAbstractButton* widget)
    : WidgetBinding(button, design, widget), button_(button), widget_(widget) {
    connect(widget_, &QAbstractButton::clicked, this, [this] { button_.click(); });
    widget_->installEventFilter(this);
}

void ButtonBinding::show(const ControlChange& change) {
    WidgetBinding::show(change);
    if (change.kind != Kind::Properties) return;
    const QString caption = LiteralAmpersands(button_.caption());
    widget_->setText(caption);
    if (!caption.isEmpty()) widget_->setAccessibleName(ToQt(button_.caption()));
}

bool ButtonBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget_ && event->type() == QEvent::KeyPress) {
        if (const int character = TypedCharacter(*static_cast<QKeyEvent*>(event))) {
            button_.keyPress(character);
        }
    }
    // The key goes on as usual: Space still presses the button.
    return false;
}

CheckBoxBinding::CheckBoxBinding(CheckBox& checkBox, const ControlDesign& design, QCheckBox* widget)
    : WidgetBinding(checkBox, design, widget), checkBox_(checkBox), widget_(widget) {
    connect(widget_, &QCheckBox::toggled, this,
            [this](bool checked) { checkBox_.setChecked(checked); });
}

void CheckBoxBinding::show(const ControlChange& change) {
    WidgetBinding::show(change);
    if (change.kind == Kind::Properties) {
        widget_->setText(LiteralAmpersands(checkBox_.caption()));
        widget_->setAccessibleName(ToQt(checkBox_.caption()));
    } else if (change.kind == Kind::Selection) {
        widget_->setChecked(checkBox_.checked());
    }
}

ScrollBarBinding::ScrollBarBinding(ScrollBar& bar, const ControlDesign& design, QScrollBar* widget)
    : WidgetBinding(bar, design, widget), bar_(bar), widget_(widget) {
    connect(widget_, &QScrollBar::valueChanged, this, [this](int value) {
        bar_.setValue(value);
        // The panel may have kept another value; the bar shows what it kept.
        if (widget_->value() != bar_.value()) show({Kind::Properties});
    });
}

void ScrollBarBinding::show(const ControlChange& change) {
    WidgetBinding::show(change);
    if (change.kind != Kind::Properties) return;
    const QSignalBlocker blocker(widget_);
    widget_->setRange(bar_.minimum(), bar_.maximum());
    widget_->setValue(bar_.value());
}

}  // namespace velmora
