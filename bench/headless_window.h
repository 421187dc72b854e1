// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// The trainer with its window, as the window benchmarks time it: the rig's
// fakes (no sound, a clock that moves only when told), shown on the offscreen
// platform unless another is chosen.

#pragma once

#include <QApplication>

#include "testing/trainer_rig.h"
#include "ui/main_window.h"

namespace velmora::bench {

// Before the QApplication is made.
inline void DefaultToOffscreen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

struct HeadlessWindow : testing::TrainerRig {
    HeadlessWindow() {
        trainer.Form_Load();
        window.show();
        QApplication::processEvents();
    }
    MainWindow window{trainer};
};

}  // namespace velmora::bench
