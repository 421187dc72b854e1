#include "ui/zoom_style.h"

#include <QApplication>
#include <QWidget>

#include <cmath>

namespace velmora {

ZoomStyle::ZoomStyle(int zoomPercent)
    : QProxyStyle(QApplication::style()->name()), scale_(zoomPercent / 100.0) {}

int ZoomStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                           const QWidget* widget) const {
    const int size = QProxyStyle::pixelMetric(metric, option, widget);
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
