// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QAction>
#include <QMenu>
#include <QPointer>

#include <functional>
#include <string>
#include <vector>

#include "midi/setup/sound_setup.h"
#include "midi/sound_options.h"
#include "ui/sound_dialog.h"

namespace velmora {

class RememberedChoices;

// The Sound menu: Sound Settings…, Play Test Note and Try Again. A choice
// made here takes effect at once, the run going on, and is remembered.
class SoundMenu final : public QObject {
    Q_OBJECT

public:
    // Fills `menu`. `remembered` may be null: nothing is remembered.
    SoundMenu(QMenu& menu, SoundSetup& sound, RememberedChoices* remembered);
    ~SoundMenu() override;

    // The sound's state changed: the dialog, if open, shows it.
    void update(const SoundReport& report);
    // Plays what the user chose; remembers only what differs from now.
    void choose(const SoundOptions& next);

    QMenu* menu() const { return menu_; }
    QAction* tryAgainAction() { return &tryAgain_; }
    QAction* playTestNoteAction() { return &playTestNote_; }
    QAction* settingsAction() { return &settings_; }
    // The dialog, once opened.
    SoundDialog* dialog() const { return dialog_; }

    // What the dialog lists; the system's unless tests replace them.
    std::function<std::vector<std::string>()> listPorts;
    std::function<std::vector<std::string>()> listSoundFonts;
    std::function<std::vector<std::string>()> listDrivers;

private:
    void openDialog();
    void playTestNote();

    SoundSetup& sound_;
    RememberedChoices* remembered_;
    QMenu* menu_;
    QAction settings_;
    QAction playTestNote_;
    QAction tryAgain_;
    QPointer<SoundDialog> dialog_;
    QString status_;
    bool problem_ = false;
};

}  // namespace velmora
