// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/zoom_style.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyleOptionSlider>
#include <QWidget>

#include <cmath>

namespace velmora {

ZoomStyle::ZoomStyle(int zoomPercent)
    : QProxyStyle(QApplication::style()->name()), scale_(zoomPercent / 100.0) {}

int ZoomStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                           const QWidget* widget) const {
    const int size = QProxyStyle::pixelMetric(metric, option, widget);
    if (magnifying_ > 0) return size;
    switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
        case PM_CheckBoxLabelSpacing:
        case PM_ScrollBarExtent:
        case PM_ScrollBarSliderMin:
            return static_cast<int>(std::lround(size * scale_));
        default:
            return size;
    }
}

template <typename Option>
void ZoomStyle::drawMagnified(const Option& option, QPainter* painter, auto draw) const {
    Option small = option;
    const QRectF area(option.rect);
    small.rect = QRectF(area.topLeft() / scale_, area.size() / scale_).toRect();
    painter->save();
    painter->scale(scale_, scale_);
    ++magnifying_;
    draw(&small);
    --magnifying_;
    painter->restore();
}

void ZoomStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                   QPainter* painter, const QWidget* widget) const {
    const auto base = [&](const QStyleOptionComplex* shown) {
        QProxyStyle::drawComplexControl(control, shown, painter, widget);
    };
    if (scale_ > 1 && control == CC_ScrollBar) {
        if (const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option)) {
            drawMagnified(*slider, painter, base);
            return;
        }
    }
    if (scale_ > 1 && control == CC_ComboBox) {
        if (const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option)) {
            drawMagnified(*combo, painter, base);
            return;
        }
    }
    base(option);
}

void ZoomStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const {
    const auto base = [&](const QStyleOption* shown) {
        QProxyStyle::drawPrimitive(element, shown, painter, widget);
    };
    const bool arrow = element == PE_IndicatorArrowUp || element == PE_IndicatorArrowDown ||
                       element == PE_IndicatorArrowLeft || element == PE_IndicatorArrowRight;
    if (scale_ > 1 && arrow && magnifying_ == 0) {
        drawMagnified(*option, painter, base);
        return;
    }
    base(option);
}

void SetStyleWithin(QWidget* root, QStyle* style) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        // Those drawn their own way keep it: a style sheet would take the
        // font it resolves from the application, not from the window.
        if (!widget->styleSheet().isEmpty() || widget->style()->parent() == widget) continue;
        widget->setStyle(style);
    }
}

}  // namespace velmora
