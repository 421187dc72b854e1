// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QRect>
#include <QSize>

#include <cmath>

#include "model/window_design.h"

namespace velmora {

// The design's own size: 100 percent.
inline constexpr int kActualSize = 100;

// Device-independent pixels at a zoom in percent; Qt scales them further for
// high-density screens.
inline int ToPixels(int twips, int zoomPercent = kActualSize) {
    return static_cast<int>(
        std::lround(static_cast<double>(twips) * zoomPercent / (kTwipsPerPixel * kActualSize)));
}

inline QRect DesignRect(const ControlDesign& design, int zoomPercent = kActualSize) {
    return {ToPixels(design.place.left, zoomPercent), ToPixels(design.place.top, zoomPercent),
            ToPixels(design.place.width, zoomPercent), ToPixels(design.place.height, zoomPercent)};
}

// A size given in pixels at the design's size, at another zoom.
inline QSize Zoomed(QSize actual, int zoomPercent) {
    return {static_cast<int>(std::lround(actual.width() * zoomPercent / double(kActualSize))),
            static_cast<int>(std::lround(actual.height() * zoomPercent / double(kActualSize)))};
}

}  // namespace velmora
