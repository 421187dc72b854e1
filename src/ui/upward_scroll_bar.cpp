// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/upward_scroll_bar.h"

#include <QMouseEvent>

namespace velmora {

UpwardScrollBar::UpwardScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    // Drawing the maximum at the top also makes dragging the thumb right.
    setInvertedAppearance(true);
    // Keys and wheel then act as on a slider: Up and wheel-up increase.
    setInvertedControls(false);
    setSingleStep(1);
    setPageStep(1);
    connect(this, &QAbstractSlider::actionTriggered, this,
            &UpwardScrollBar::mirrorArrowAndPageAction);
}

void UpwardScrollBar::mousePressEvent(QMouseEvent* event) {
    mouseDown_ = true;
    QScrollBar::mousePressEvent(event);
}

void UpwardScrollBar::mouseReleaseEvent(QMouseEvent* event) {
    QScrollBar::mouseReleaseEvent(event);
    mouseDown_ = false;
}

// The arrows and the trough stay where the style puts them (decrease at the
// top), so a mouse step is turned round before the value takes it.
void UpwardScrollBar::mirrorArrowAndPageAction(int action) {
    if (!mouseDown_) return;
    switch (action) {
        case SliderSingleStepAdd:
            setSliderPosition(value() - singleStep());
            break;
        case SliderSingleStepSub:
            setSliderPosition(value() + singleStep());
            break;
        case SliderPageStepAdd:
            setSliderPosition(value() - pageStep());
            break;
        case SliderPageStepSub:
            setSliderPosition(value() + pageStep());
            break;
        default:
            break;
    }
}

}  // namespace velmora
