// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/sound_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "midi/audio_driver_name.h"
#include "midi/soundfont_locator.h"
#include "ui/volume_slider.h"

namespace velmora {

namespace {

// The item data of "Other…" among the SoundFonts.
const QString kOther = QStringLiteral("\x01other");

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

QVariant DataOf(const std::optional<std::string>& choice) {
    return choice ? QVariant(FromStd(*choice)) : QVariant();
}

std::optional<std::string> ChoiceOf(const QComboBox* box) {
    const QVariant data = box->currentData();
    if (!data.isValid()) return std::nullopt;
    return data.toString().toStdString();
}

// Selects the item whose data is `wanted`, adding it (named `text`) when missing.
void Select(QComboBox* box, const QVariant& wanted, const QString& text, int insertAt) {
    int index = wanted.isValid() ? box->findData(wanted) : 0;
    if (index < 0) {
        box->insertItem(insertAt, text, wanted);
        index = insertAt;
    }
    box->setCurrentIndex(index);
}

}  // namespace

std::string PortChoice(const std::string& portName) {
    static const std::regex kAddress(R"( \d+:\d+$)");
    return std::regex_replace(portName, kAddress, "");
}

std::vector<std::string> InstalledSoundFonts() {
    std::vector<std::string> fonts;
    std::vector<std::filesystem::path> seen;
    for (const std::string& candidate : WellKnownSoundFonts()) {
        std::error_code error;
        const std::filesystem::path real = std::filesystem::canonical(candidate, error);
        if (error || std::find(seen.begin(), seen.end(), real) != seen.end()) continue;
        if (!CheckSoundFontFile(candidate).empty()) continue;
        seen.push_back(real);
        fonts.push_back(real.string());  // the file, not the link to it
    }
    return fonts;
}

SoundDialog::SoundDialog(QAction& playTestNote, QAction& tryAgain, QWidget* parent)
    : QDialog(parent),
      output_(new QComboBox(this)),
      soundFont_(new QComboBox(this)),
      driver_(new QComboBox(this)),
      volume_(new VolumeSlider(this)),
      volumeFigure_(new QLabel(this)),
      statusIcon_(new QLabel(this)),
      status_(new QLabel(this)) {
    setObjectName("soundDialog");
    setWindowTitle(tr("Sound Settings"));
    output_->setObjectName("output");
    soundFont_->setObjectName("soundFont");
    driver_->setObjectName("audioDriver");
    for (QComboBox* box : {output_, soundFont_, driver_}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        box->setMinimumContentsLength(28);
        connect(box, &QComboBox::activated, this, [this, box] {
            if (box == soundFont_ && soundFont_->currentData() == kOther) {
                chooseOtherSoundFont();
            } else {
                choose();
            }
        });
    }

    volume_->setObjectName("volume");
    volume_->setAccessibleName(tr("Volume"));
    volumeFigure_->setObjectName("volumeFigure");
    // Wide enough for "200 %": the slider does not move as the figure grows.
    volumeFigure_->setMinimumWidth(volumeFigure_->fontMetrics().horizontalAdvance(
        VolumeSlider::Figure(kLoudestVolume) + QLatin1Char(' ')));
    connect(volume_, &QSlider::valueChanged, this, [this](int percent) {
        volumeFigure_->setText(VolumeSlider::Figure(percent));
        choose();
    });
    auto* volumeRow = new QHBoxLayout;
    volumeRow->addWidget(volume_, 1);
    volumeRow->addWidget(volumeFigure_);
    auto* volumeLabel = new QLabel(tr("&Volume:"), this);
    volumeLabel->setBuddy(volume_);

    auto* form = new QFormLayout;
    form->addRow(tr("&Output:"), output_);
    form->addRow(tr("&SoundFont:"), soundFont_);
    form->addRow(tr("Audio &driver:"), driver_);
    form->addRow(volumeLabel, volumeRow);

    status_->setObjectName("soundStatus");
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    statusIcon_->setFixedSize(iconSize, iconSize);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(statusIcon_, 0, Qt::AlignTop);
    statusRow->addWidget(status_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    for (QAction* action : {&playTestNote, &tryAgain}) {
        QPushButton* button =
            buttons->addButton(QString(action->text()), QDialogButtonBox::ActionRole);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
    }
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(statusRow);
    layout->addWidget(buttons);
}

void SoundDialog::refresh(const SoundOptions& current, const std::vector<std::string>& ports,
                          const std::vector<std::string>& soundFonts,
                          const std::vector<std::string>& drivers) {
    current_ = current;
    output_->clear();
    output_->addItem(tr("Built-in synthesizer"), QStringLiteral("0"));
    for (const std::string& port : ports) {
        output_->addItem(tr("MIDI port: %1").arg(FromStd(port)), FromStd(PortChoice(port)));
    }
    soundFont_->clear();
    const SoundFontLookup standard = LocateSoundFont(std::nullopt);
    soundFont_->addItem(standard.path.empty()
                            ? tr("Default (none installed)")
                            : tr("Default (%1)").arg(FromStd(SoundFontName(standard.path))));
    for (const std::string& font : soundFonts) {
        soundFont_->addItem(
            QStringLiteral("%1 — %2").arg(FromStd(SoundFontName(font)), FromStd(font)),
            FromStd(font));
    }
    soundFont_->insertSeparator(soundFont_->count());
    soundFont_->addItem(tr("Other…"), kOther);
    driver_->clear();
    driver_->addItem(tr("Automatic"));
    for (const std::string& driver : drivers) {
        driver_->addItem(FromStd(AudioDriverDisplayName(driver)), FromStd(driver));
    }
    showCurrent();
}

void SoundDialog::showCurrent() {
    const std::optional<std::string> output =
        current_.midiOut && *current_.midiOut != "0" ? current_.midiOut : std::string("0");
    Select(output_, DataOf(output), tr("MIDI port: %1 (not there)").arg(FromStd(*output)), 1);
    Select(soundFont_, DataOf(current_.soundFont),
           current_.soundFont ? FromStd(*current_.soundFont) : QString(), 1);
    Select(
        driver_, DataOf(current_.audioDriver),
        current_.audioDriver ? FromStd(AudioDriverDisplayName(*current_.audioDriver)) : QString(),
        1);
    // The SoundFont, driver and volume are the built-in synthesizer's.
    const bool builtIn = output_->currentIndex() == 0;
    soundFont_->setEnabled(builtIn);
    driver_->setEnabled(builtIn);
    showVolume(builtIn);
}

void SoundDialog::showVolume(bool builtIn) {
    const QSignalBlocker quiet(volume_);
    const int percent = current_.volume.value_or(kUsualVolume);
    volume_->setValue(percent);
    volumeFigure_->setText(VolumeSlider::Figure(percent));
    // The command line's own gain holds for the whole run.
    const bool fixed = HasSynthSetting(current_, "synth.gain");
    volume_->setEnabled(builtIn && !fixed);
    volumeFigure_->setEnabled(builtIn && !fixed);
    QString why;
    if (!builtIn) {
        why = tr("A MIDI port plays as loud as its own device is set");
    } else if (fixed) {
        why = tr("Set for this run by synth.gain on the command line");
        volumeFigure_->setText(tr("as given"));
    } else {
        why = tr("How loud the built-in synthesizer plays; 100 % is the usual");
    }
    volume_->setToolTip(why);
    volumeFigure_->setToolTip(why);
}

void SoundDialog::choose() {
    SoundOptions next = current_;
    next.midiOut = ChoiceOf(output_);
    if (next.midiOut == "0") next.midiOut.reset();
    next.soundFont = ChoiceOf(soundFont_);
    next.audioDriver = ChoiceOf(driver_);
    // Only a volume the user moved is a choice: untouched, it stays the usual.
    if (volume_->value() != current_.volume.value_or(kUsualVolume)) next.volume = volume_->value();
    current_ = next;
    showCurrent();
    emit chosen(next);
}

void SoundDialog::chooseOtherSoundFont() {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Choose a SoundFont"), QStringLiteral("/usr/share/sounds/sf2"),
        tr("SoundFonts (*.sf2 *.sf3 *.SF2 *.SF3);;All files (*)"));
    if (path.isEmpty()) {
        showCurrent();
        return;
    }
    // A file that cannot be a SoundFont is not taken: what plays goes on.
    const std::string problem = CheckSoundFontFile(path.toStdString());
    if (!problem.empty()) {
        showCurrent();
        setStatus(FromStd(problem), true);
        return;
    }
    Select(soundFont_, path, path, 1);
    choose();
}

void SoundDialog::setStatus(const QString& text, bool problem) {
    status_->setText(text);
    if (problem) {
        const QIcon icon = QIcon::fromTheme(QStringLiteral("dialog-warning"),
                                            style()->standardIcon(QStyle::SP_MessageBoxWarning));
        statusIcon_->setPixmap(icon.pixmap(statusIcon_->size()));
    } else {
        statusIcon_->clear();
    }
}

}  // namespace velmora
