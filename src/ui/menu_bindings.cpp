// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/menu_bindings.h"

#include <QAction>
#include <QMenu>

#include "ui/simple_bindings.h"

namespace velmora {

MenuBinding::MenuBinding(Menu& menu, QMenu* widget)
    : ControlBinding(menu), menu_(menu), widget_(widget) {}

QObject* MenuBinding::signalSource() const {
    return widget_;
}

void MenuBinding::show(const ControlChange& change) {
    if (change.kind != ControlChange::Kind::Properties) return;
    widget_->setTitle(LiteralAmpersands(menu_.caption()));
    widget_->menuAction()->setEnabled(menu_.enabled());
    widget_->setToolTip(ToQt(menu_.toolTip()));
}

MenuItemBinding::MenuItemBinding(MenuItem& item, QAction* action)
    : ControlBinding(item), item_(item), action_(action) {
    connect(action_, &QAction::triggered, this, [this] { item_.click(); });
}

QObject* MenuItemBinding::signalSource() const {
    return action_;
}

void MenuItemBinding::show(const ControlChange& change) {
    if (change.kind != ControlChange::Kind::Properties) return;
    action_->setText(LiteralAmpersands(item_.caption()));
    action_->setEnabled(item_.enabled());
    action_->setToolTip(ToQt(item_.toolTip()));
}

}  // namespace velmora
