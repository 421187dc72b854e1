// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/zoom.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "model/window_design.h"

namespace velmora {

namespace {

constexpr std::array kSteps = {100, 110, 125, 150, 175, 200, 250, 300};
constexpr double kDesignPoints = 8.0;

// Pixels per percent of zoom are twips / (15 * 100).
constexpr int kTwipsPerPercent = kTwipsPerPixel * 100;

int Clamped(long long percent) {
    return static_cast<int>(std::clamp<long long>(percent, kSmallestZoom, kLargestZoom));
}

int CeilDiv(long long a, long long b) {
    return static_cast<int>((a + b - 1) / b);
}

}  // namespace

std::span<const int> ZoomSteps() {
    return kSteps;
}

int ZoomInFrom(int percent) {
    for (int step : kSteps) {
        if (step > percent) return step;
    }
    return kLargestZoom;
}

int ZoomOutFrom(int percent) {
    for (auto step = kSteps.rbegin(); step != kSteps.rend(); ++step) {
        if (*step < percent) return *step;
    }
    return kSmallestZoom;
}

int ZoomInWithin(int percent, int largest) {
    // A zoom already above what fits (remembered from a larger screen, or a
    // window dragged larger than the screen) stays as it is.
    return std::max(percent, std::min(ZoomInFrom(percent), largest));
}

QSize ClientSize(int percent) {
    const long long zoom = Clamped(percent);
    return {CeilDiv(kClientWidthTwips * zoom, kTwipsPerPercent),
            CeilDiv(kClientHeightTwips * zoom, kTwipsPerPercent)};
}

int FittingZoom(QSize room) {
    const long long across = static_cast<long long>(std::max(room.width(), 0)) * kTwipsPerPercent;
    const long long down = static_cast<long long>(std::max(room.height(), 0)) * kTwipsPerPercent;
    return Clamped(std::min(across / kClientWidthTwips, down / kClientHeightTwips));
}

int ZoomForTextOf(double desktopPoints) {
    if (!std::isfinite(desktopPoints) || desktopPoints <= 0) return kSmallestZoom;
    return Clamped(std::llround(std::min(desktopPoints, 1000.0) / kDesignPoints * 100));
}

}  // namespace velmora
