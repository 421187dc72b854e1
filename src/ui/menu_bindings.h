// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include "ui/control_binding.h"

class QAction;
class QMenu;

namespace velmora {

class MenuBinding final : public ControlBinding {
public:
    MenuBinding(Menu& menu, QMenu* widget);

protected:
    void show(const ControlChange& change) override;
    QObject* signalSource() const override;

private:
    Menu& menu_;
    QMenu* widget_;
};

class MenuItemBinding final : public ControlBinding {
public:
    MenuItemBinding(MenuItem& item, QAction* action);

protected:
    void show(const ControlChange& change) override;
    QObject* signalSource() const override;

private:
    MenuItem& item_;
    QAction* action_;
};

}  // namespace velmora
