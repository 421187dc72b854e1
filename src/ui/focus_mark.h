// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

class QWidget;

namespace velmora {

// Draws a frame around `widget` while it has the keyboard focus, for the
// kinds the desktop's style leaves unmarked: scroll bars and lists.
void ShowFocusMark(QWidget& widget);

}  // namespace velmora
