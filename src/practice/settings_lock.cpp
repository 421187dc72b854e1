// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "practice/settings_lock.h"

namespace velmora {

SettingsLock::SettingsLock(Panel& panel)
    : locked_{&panel.vsbAlottedTimeForExercise, &panel.lstPitch,   &panel.vsbNoteRange[0],
              &panel.vsbNoteRange[1],           &panel.vsbMinimum, &panel.vsbMaximum,
              &panel.pic_Repeat_1_Note,         &panel.mnuRange,   &panel.mnuDefaultExercises,
              &panel.chkExcludeExactOctave} {}

void SettingsLock::setAll(bool enabled) {
    for (Control* control : locked_) control->setEnabled(enabled);
}

}  // namespace velmora
