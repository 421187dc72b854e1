// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>

#include "model/panel.h"

namespace velmora {

// Keeps the controls that define an exercise out of reach while a run is in
// progress. The lock is nothing but their enabled state.
class SettingsLock {
public:
    explicit SettingsLock(Panel& panel);

    void LockSettings() { setAll(false); }
    void UnlockSettings() { setAll(true); }

    const std::array<Control*, 10>& lockedControls() const { return locked_; }

private:
    void setAll(bool enabled);
    std::array<Control*, 10> locked_;
};

}  // namespace velmora
