// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QProxyStyle>

class QWidget;

namespace velmora {

// The desktop's style with its small fixed parts (check marks, scroll-bar
// arrows) grown with the window's zoom, so they keep their size beside the
// text.
class ZoomStyle final : public QProxyStyle {
    Q_OBJECT

public:
    explicit ZoomStyle(int zoomPercent);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    // Scroll bars, drop-down buttons and arrows are drawn as at the design's
    // size and magnified, so their arrows grow with them.
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    template <typename Option>
    void drawMagnified(const Option& option, QPainter* painter, auto draw) const;

    qreal scale_;
    mutable int magnifying_ = 0;  // while drawing at the design's size
};

// Draws `root` and everything in it with `style`, or with the desktop's
// when null, but for widgets with a style or style sheet of their own.
void SetStyleWithin(QWidget* root, QStyle* style);

}  // namespace velmora
