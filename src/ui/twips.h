#pragma once

#include <QRect>

#include <cmath>

#include "model/window_design.h"

namespace velmora {

// Device-independent pixels; Qt scales them for high-density screens.
inline int ToPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

inline QRect DesignRect(const ControlDesign& design) {
    return {ToPixels(design.place.left), ToPixels(design.place.top), ToPixels(design.place.width),
            ToPixels(design.place.height)};
}

}  // namespace velmora
