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

// Sound Settings: the output (the built-in synthesizer or a MIDI port), the
// SoundFont and the audio driver. A choice takes effect as soon as it is
// made; the dialog only shows and asks.
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

signals:
    // The choices as they should be now, on every change.
    void chosen(const velmora::SoundOptions& next);

private:
    void choose();
    void chooseOtherSoundFont();
    void showCurrent();

    SoundOptions current_;
    QComboBox* output_;
    QComboBox* soundFont_;
    QComboBox* driver_;
    QLabel* statusIcon_;
    QLabel* status_;
};

// A port's name without its address on the sequencer ("client:port"), which
// changes from one start to the next: what a choice of it is remembered by.
std::string PortChoice(const std::string& portName);

// The General MIDI SoundFonts installed here, each file once.
std::vector<std::string> InstalledSoundFonts();

}  // namespace velmora
