// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QSize>

#include <span>

namespace velmora {

// How large the window's design is drawn, in percent of its own size.
inline constexpr int kSmallestZoom = 100;
inline constexpr int kLargestZoom = 300;

// The zooms the View menu offers, from the smallest up.
std::span<const int> ZoomSteps();

// The zoom one step up or down from `percent`, within the limits.
int ZoomInFrom(int percent);
int ZoomOutFrom(int percent);
// Zoom In from `percent` where no more than `largest` fits: one step up, or as
// far towards it as fits, and never lower than `percent`.
int ZoomInWithin(int percent, int largest);

// The client area at a zoom. Never smaller than the design scaled exactly,
// so that FittingZoom(ClientSize(p)) == p.
QSize ClientSize(int percent);
// The largest zoom whose client area fits `room`, within the limits.
int FittingZoom(QSize room);
// The zoom at which the design's 8-point text is as large as the desktop's
// normal text of `desktopPoints`, within the limits.
int ZoomForTextOf(double desktopPoints);

}  // namespace velmora
