// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QFont>

namespace velmora {

// The window's dialog font: the system's sans font at the design's 8 points,
// narrowed or made smaller only as far as needed for every caption to fit
// the size the design gives it. Fonts differ from system to system, so this
// is measured rather than fixed. At a zoom in percent, points and sizes grow
// together.
QFont DesignFont(const QFont& systemFont, int zoomPercent = 100);

// Whether each caption of the design fits its control in this font.
bool CaptionsFit(const QFont& font, int zoomPercent = 100);

}  // namespace velmora
