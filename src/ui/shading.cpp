// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/shading.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QWidget>

namespace velmora {

QColor ToQColor(Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

std::optional<QColor> ShadeColor(Shade shade) {
    switch (shade) {
        case Shade::LightGreen:
            return ToQColor(kLightGreen);
        case Shade::White:
            return ToQColor(kWhite);
        case Shade::WindowBackground:
            return QApplication::palette().color(QPalette::Window);
        case Shade::Default:
            break;
    }
    return std::nullopt;
}

namespace {

// The styles shade a button's face with a gradient that washes a pale colour
// out almost to white; the answer buttons must show theirs plainly.
QString ButtonStyleSheet(const QColor& face) {
    return QString(
               "QPushButton { background-color: %1; border: 1px solid #7a7a7a; border-radius: 2px; "
               "}"
               "QPushButton:hover { border-color: #3a3a3a; }"
               "QPushButton:pressed { background-color: %2; }"
               "QPushButton:focus { border: 2px solid #3072c4; }"
               "QPushButton:disabled { color: #8a9a8a; border-color: #a8b8a8; }")
        .arg(face.name(), face.darker(115).name());
}

// The styles draw a frame's inside a shade darker than the frame's colour; a
// shaded frame shows its colour plainly, inside a thin line of the palette's.
class PlainFrameStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_FrameGroupBox) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        painter->save();
        painter->setPen(option->palette.color(QPalette::Mid));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
};

}  // namespace

void SetBackground(QWidget* widget, std::optional<QColor> color) {
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->setStyleSheet(color ? ButtonStyleSheet(*color) : QString());
        return;
    }
    if (auto* frame = qobject_cast<QGroupBox*>(widget); frame && color) {
        // Not passed on to the frame's controls, which keep the window's style.
        auto* style = new PlainFrameStyle(QStyleFactory::create(frame->style()->name()));
        style->setParent(frame);
        frame->setStyle(style);
    }
    // Only the roles set here override the inherited palette.
    QPalette palette;
    bool fill = false;
    if (color) {
        if (qobject_cast<QAbstractItemView*>(widget)) {
            palette.setColor(QPalette::Base, *color);
        } else if (qobject_cast<QComboBox*>(widget)) {
            palette.setColor(QPalette::Button, *color);
        } else {
            // Check boxes fill with the button role, labels with the window's.
            palette.setColor(widget->backgroundRole(), *color);
            fill = true;
        }
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(fill);
}

}  // namespace velmora
