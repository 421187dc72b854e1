// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QString>

#include <functional>

class QAbstractSlider;

namespace velmora {

// The words a screen reader gives a scroll bar's or slider's value: the
// note, the minutes, the tempo or the volume it sets ("C2"), where Qt would
// read the bare number ("36"), as its value text and first in its description. `words` is asked
// each time; an empty answer falls back to the number.
void SetValueWords(QAbstractSlider& control, std::function<QString(int value)> words);

// "5 minutes", "1 minute 30 seconds".
QString MinutesInWords(int seconds);

}  // namespace velmora
