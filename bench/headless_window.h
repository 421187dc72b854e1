// The trainer with its window, as the window benchmarks time it: no sound,
// a clock that moves only when told, shown on the offscreen platform unless
// another is chosen.

#pragma once

#include <QApplication>

#include "app/trainer.h"
#include "midi/recording_midi_out.h"
#include "ports/manual_scheduler.h"
#include "ui/main_window.h"

namespace velmora::bench {

// Before the QApplication is made.
inline void DefaultToOffscreen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

struct HeadlessWindow {
    HeadlessWindow() {
        trainer.Form_Load();
        window.show();
        QApplication::processEvents();
    }
    RecordingMidiOut device;
    ManualScheduler clock;
    SilentBeeper beeper;
    Trainer trainer{device, clock, beeper};
    MainWindow window{trainer};
};

}  // namespace velmora::bench
