// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QMenu>

#include <functional>
#include <optional>
#include <vector>

#include "midi/external/keyboard_input.h"

namespace velmora {

// The MIDI Input menu: "None" and every input port, listed afresh each time
// it opens, with a check mark on the one in use; "No MIDI inputs found" when
// there is none, and "Look again" at the end.
class MidiInputMenu final : public QObject {
    Q_OBJECT

public:
    // Fills `menu`.
    MidiInputMenu(QMenu& menu, KeyboardInput& input);

    // The input's ports or connection changed.
    void update(const KeyboardInput::Report& report);
    QMenu* menu() const { return menu_; }

    // Asks for a fresh list of the ports, which arrives through update(); the
    // input's own unless tests replace it. Never waits for the listing.
    std::function<void()> listAfresh;

signals:
    // The user chose this port ("" for none) in the menu.
    void chosen(const QString& port);

private:
    void rebuild();
    void lookAgain();

    KeyboardInput& input_;
    QMenu* menu_;
    std::vector<MidiInputPort> ports_;
    std::optional<MidiInputPort> connected_;
    bool chosen_ = false;  // an input is chosen, connected or not
};

}  // namespace velmora
