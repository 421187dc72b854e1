// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QSlider>
#include <QString>

namespace velmora {

// The built-in synthesizer's volume, 0..kLoudestVolume percent of the usual,
// in steps of 5 from the keyboard. A screen reader hears its value in words
// ("80 percent"), not as a bare number.
class VolumeSlider final : public QSlider {
public:
    explicit VolumeSlider(QWidget* parent = nullptr);

    // What the figure beside it shows: "80 %".
    static QString Figure(int percent);
    // What a screen reader says: "80 percent", "silent", "100 percent, the usual".
    static QString Words(int percent);
};

}  // namespace velmora
