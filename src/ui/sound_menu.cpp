// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/sound_menu.h"

#include <QTimer>

#include "midi/external/rtmidi_out.h"
#include "midi/messages.h"
#include "midi/synth/built_in_synth.h"
#include "ui/remembered_choices.h"
#include "ui/sound_dialog.h"
#include "ui/volume_slider.h"

namespace velmora {

namespace {

// Middle C on a channel the trainer leaves alone, with a piano of its own.
constexpr int kTestChannel = 1;
constexpr int kTestNote = 60;
constexpr int kTestVelocity = 100;
constexpr int kTestMs = 700;

}  // namespace

SoundMenu::SoundMenu(QMenu& menu, SoundSetup& sound, RememberedChoices* remembered)
    : QObject(nullptr),
      listPorts(&ListExternalMidiPorts),
      listSoundFonts(&InstalledSoundFonts),
      listDrivers(&AudioOutputChoices),
      sound_(sound),
      remembered_(remembered),
      menu_(&menu),
      settings_(tr("Sound &Settings…")),
      playTestNote_(tr("&Play Test Note")),
      tryAgain_(tr("&Try Again")) {
    tryAgain_.setToolTip(tr("Open the sound output again"));
    // First in the menu, before what the window keeps there (MIDI Input).
    QAction* windowsOwn = menu_->actions().value(0, nullptr);
    menu_->insertAction(windowsOwn, &settings_);
    menu_->insertSeparator(windowsOwn);
    menu_->insertAction(windowsOwn, &playTestNote_);
    menu_->insertAction(windowsOwn, &tryAgain_);
    connect(&settings_, &QAction::triggered, this, &SoundMenu::openDialog);
    connect(&playTestNote_, &QAction::triggered, this, &SoundMenu::playTestNote);
    connect(&tryAgain_, &QAction::triggered, this, [this] { sound_.tryAgain(); });
}

SoundMenu::~SoundMenu() {
    delete dialog_;
}

void SoundMenu::update(const SoundReport& report) {
    status_ = QString::fromStdString(report.status);
    problem_ = report.problem;
    if (dialog_) dialog_->setStatus(status_, problem_);
}

void SoundMenu::choose(const SoundOptions& next) {
    const SoundOptions now = sound_.options();
    const bool volumeMoved = next.volume != now.volume;
    if (remembered_) {
        if (next.midiOut != now.midiOut) remembered_->rememberMidiOut(next.midiOut);
        if (next.soundFont != now.soundFont) remembered_->rememberSoundFont(next.soundFont);
        if (next.audioDriver != now.audioDriver) remembered_->rememberAudioDriver(next.audioDriver);
        // A drag is remembered once, where it ends, not at every step.
        const bool dragging = dialog_ && dialog_->volumeSlider()->isSliderDown();
        if (volumeMoved && next.volume && !dragging) remembered_->rememberVolume(*next.volume);
    }
    // The volume alone changes on the synthesizer as it plays, without a gap.
    const bool sameOutput = next.midiOut == now.midiOut && next.soundFont == now.soundFont &&
                            next.audioDriver == now.audioDriver;
    if (volumeMoved && sameOutput) {
        sound_.setVolume(next.volume.value_or(kUsualVolume));
        return;
    }
    sound_.reopen(next);
}

void SoundMenu::openDialog() {
    if (!dialog_) {
        dialog_ = new SoundDialog(playTestNote_, tryAgain_, menu_->parentWidget()->window());
        connect(dialog_, &SoundDialog::chosen, this, &SoundMenu::choose);
        connect(dialog_->volumeSlider(), &QSlider::sliderReleased, this, [this] {
            if (remembered_ && sound_.options().volume) {
                remembered_->rememberVolume(*sound_.options().volume);
            }
        });
    }
    dialog_->refresh(sound_.options(), listPorts(), listSoundFonts(), listDrivers());
    dialog_->setStatus(status_, problem_);
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void SoundMenu::playTestNote() {
    MidiOut& device = sound_.device();
    device.send(ComposeShortMessage(kProgramChangeStatus, kTestChannel, 0, 0));
    device.send(ComposeShortMessage(kNoteOnStatus, kTestChannel, kTestNote, kTestVelocity));
    // Sent to whatever plays by then; dropped once the trainer has closed it.
    QTimer::singleShot(kTestMs, this, [this] {
        sound_.device().send(ComposeShortMessage(kNoteOffStatus, kTestChannel, kTestNote, 0));
    });
}

}  // namespace velmora
