#include "ui/shading.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QPalette>
#include <QPushButton>
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

}  // namespace

void SetBackground(QWidget* widget, std::optional<QColor> color) {
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->setStyleSheet(color ? ButtonStyleSheet(*color) : QString());
        return;
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
            palette.setColor(QPalette::Window, *color);
            fill = true;
        }
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(fill);
}

}  // namespace velmora
