// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/volume_slider.h"

#include <QCoreApplication>

#include "midi/sound_options.h"
#include "ui/value_words.h"

namespace velmora {

VolumeSlider::VolumeSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    // Qt's own slider gives its value as a number alone.
    SetValueWords(*this, &Words);
    setRange(0, kLoudestVolume);
    setSingleStep(5);
    setPageStep(25);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(kUsualVolume / 2);
    setValue(kUsualVolume);
}

QString VolumeSlider::Figure(int percent) {
    return QCoreApplication::translate("VolumeSlider", "%1 %").arg(percent);
}

QString VolumeSlider::Words(int percent) {
    if (percent <= 0) return QCoreApplication::translate("VolumeSlider", "silent");
    if (percent == kUsualVolume) {
        return QCoreApplication::translate("VolumeSlider", "%1 percent, the usual").arg(percent);
    }
    return QCoreApplication::translate("VolumeSlider", "%1 percent").arg(percent);
}

}  // namespace velmora
