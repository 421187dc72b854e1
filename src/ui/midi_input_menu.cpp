// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/midi_input_menu.h"

#include <QActionGroup>
#include <QPointer>
#include <QTimer>

namespace velmora {

MidiInputMenu::MidiInputMenu(QMenu& menu, KeyboardInput& input)
    : QObject(nullptr), listAfresh([&input] { input.refresh(); }), input_(input), menu_(&menu) {
    // The list shown at once is at most a second old; a fresh one replaces it
    // while the menu is open.
    connect(menu_, &QMenu::aboutToShow, this, [this] {
        listAfresh();
        rebuild();
    });
    rebuild();
}

void MidiInputMenu::update(const KeyboardInput::Report& report) {
    ports_ = report.ports;
    connected_ = report.connected;
    chosen_ = !report.status.empty();
    rebuild();
}

void MidiInputMenu::rebuild() {
    menu_->clear();
    auto* group = new QActionGroup(menu_);
    auto add = [&](const QString& text, bool checked, auto choose) {
        QAction* action = menu_->addAction(QString(text).replace('&', "&&"));
        action->setCheckable(true);
        action->setChecked(checked);
        group->addAction(action);
        connect(action, &QAction::triggered, this, choose);
    };
    add(tr("None"), !chosen_, [this] {
        input_.choose(std::string());
        emit chosen(QString());
    });
    menu_->addSeparator();
    if (ports_.empty()) menu_->addAction(tr("No MIDI inputs found"))->setEnabled(false);
    for (const MidiInputPort& port : ports_) {
        add(QString::fromStdString(port.name), connected_ == port, [this, port] {
            input_.choose(port);
            emit chosen(QString::fromStdString(port.name));
        });
    }
    menu_->addSeparator();
    menu_->addAction(tr("&Look again"), this, &MidiInputMenu::lookAgain)
        ->setToolTip(tr("List the MIDI inputs again, as after plugging in a keyboard"));
}

// The menu opens again where it was: the learner who plugged in a keyboard
// sees it listed as soon as the fresh list arrives.
void MidiInputMenu::lookAgain() {
    listAfresh();
    const QPoint at = menu_->pos();
    QTimer::singleShot(0, menu_, [menu = QPointer<QMenu>(menu_), at] {
        if (menu && !menu->isVisible()) menu->popup(at);
    });
}

}  // namespace velmora
