#include "ui/midi_input_menu.h"

#include <QActionGroup>

namespace velmora {

MidiInputMenu::MidiInputMenu(QMenu& menu, KeyboardInput& input)
    : QObject(nullptr), input_(input), menu_(&menu) {
    // The list shown at once is at most a second old; a fresh one replaces it
    // while the menu is open.
    connect(menu_, &QMenu::aboutToShow, this, [this] {
        input_.refresh();
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
    if (!ports_.empty()) menu_->addSeparator();
    for (const MidiInputPort& port : ports_) {
        add(QString::fromStdString(port.name), connected_ == port, [this, port] {
            input_.choose(port);
            emit chosen(QString::fromStdString(port.name));
        });
    }
}

}  // namespace velmora
