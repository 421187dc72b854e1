// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "midi/sound_options.h"

class QAction;
class QComboBox;
class QLabel;

namespace velmora {

class VolumeSlider;

// Sound Settings: the output (the built-in synthesizer or a MIDI port), the
// SoundFont, the audio driver and the volume. A choice takes effect as soon
// as it is made; the dialog only shows and asks.
class SoundDialog final : public QDialog {
    Q_OBJECT

public:
    SoundDialog(QAction& playTestNote, QAction& tryAgain, QWidget* parent = nullptr);

    // Lists afresh, showing `current` as chosen.
    void refresh(const SoundOptions& current, const std::vector<std::string>& ports,
                 const std::vector<std::string>& soundFonts,
                 const std::vector<std::string>& drivers);
    void setStatus(const QString& text, bool problem);

    QComboBox* outputBox() const { return output_; }
    QComboBox* soundFontBox() const { return soundFont_; }
    QComboBox* driverBox() const { return driver_; }
    VolumeSlider* volumeSlider() const { return volume_; }
    QLabel* volumeFigure() const { return volumeFigure_; }

signals:
    // The choices as they should be now, on every change: each step of the
    // volume while it is dragged too.
    void chosen(const velmora::SoundOptions& next);

private:
    void choose();
    void chooseOtherSoundFont();
    void showCurrent();
    void showVolume(bool builtIn);

    SoundOptions current_;
    QComboBox* output_;
    QComboBox* soundFont_;
    QComboBox* driver_;
    VolumeSlider* volume_;
    QLabel* volumeFigure_;
    QLabel* statusIcon_;
    QLabel* status_;
};

// A port's name without its address on the sequencer ("client:port"), which
// changes from one start to the next: what a choice of it is remembered by.
std::string PortChoice(const std::string& portName);

// The General MIDI SoundFonts installed here, each file once.
std::vector<std::string> InstalledSoundFonts();

}  // namespace velmora
