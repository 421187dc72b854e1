#pragma once

#include <QMenu>
#include <QSocketNotifier>

#include <optional>
#include <vector>

#include "midi/external/keyboard_input.h"

class QMenuBar;

namespace velmora {

// The MIDI Input menu: "None" and every input port, listed afresh each time
// it opens, with a check mark on the one in use. It also hands the notes a
// keyboard plays to the trainer as they arrive.
class MidiInputMenu final : public QObject {
    Q_OBJECT

public:
    MidiInputMenu(QMenuBar& bar, KeyboardInput& input);

    // The input's ports or connection changed.
    void update(const KeyboardInput::Report& report);
    QMenu* menu() const { return menu_; }

signals:
    // The user chose this port ("" for none) in the menu.
    void chosen(const QString& port);

private:
    void rebuild();

    KeyboardInput& input_;
    QMenu* menu_;
    QSocketNotifier arrivals_;
    std::vector<MidiInputPort> ports_;
    std::optional<MidiInputPort> connected_;
    bool chosen_ = false;  // an input is chosen, connected or not
};

}  // namespace velmora
