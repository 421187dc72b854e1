// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QString>

class QAction;

namespace velmora {

// Gives a menu item a description that screen readers announce after its
// name, such as "mastered", without touching the text shown. Qt's own menu
// items have no description, so an item given one is presented to assistive
// technology by an interface of ours. An empty description removes it.
void SetMenuItemDescription(QAction* action, const QString& description);
QString MenuItemDescription(const QAction* action);

}  // namespace velmora
