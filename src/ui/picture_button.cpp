// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/picture_button.h"

#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace velmora {

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

QSize PictureButton::sizeHint() const {
    return iconSize();
}

void PictureButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    // Pressed, the picture shifts a pixel as a sign that the click landed.
    const QRect target = isDown() ? rect().translated(1, 1) : rect();
    icon().paint(&painter, target, Qt::AlignCenter, mode);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

}  // namespace velmora
