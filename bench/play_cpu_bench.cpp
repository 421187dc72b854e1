// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// How much CPU the trainer takes while a run plays, and while it sits idle:
// the trainer, its window (offscreen) and the built-in synthesizer in this
// process, measured with getrusage over 30 s. First with no sound server, so
// the synthesizer has nowhere to play; then through a PulseAudio server of
// the benchmark's own with a null sink, so it really renders.

#include <sys/resource.h>

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/command_line.h"
#include "app/trainer.h"
#include "desktop/qt_scheduler.h"
#include "figures.h"
#include "midi/setup/sound_setup.h"
#include "midi/synth/built_in_synth.h"
#include "testing/servers.h"
#include "ui/control_binding.h"
#include "ui/main_window.h"

namespace {

using velmora::bench::Format;
using velmora::bench::PrintFigure;

constexpr int kSeconds = 30;
constexpr int kWholeIndex = 0;
constexpr int kSixteenthIndex = 4;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// Percent of one core the whole process used while the event loop ran for kSeconds.
double CpuPercentOver(QApplication& app) {
    const double wallBefore = velmora::bench::MonotonicSeconds();
    const double cpuBefore = CpuSeconds();
    // exit(), not quit(): quit() would close the window, and with it the trainer.
    QTimer::singleShot(kSeconds * 1000, &app, [] { QApplication::exit(0); });
    app.exec();
    const double wall = velmora::bench::MonotonicSeconds() - wallBefore;
    return 100.0 * (CpuSeconds() - cpuBefore) / wall;
}

// The trainer as main() builds it, sound included, with its window offscreen.
class Program {
public:
    Program()
        : sound_(velmora::SoundOptions{}), trainer_(sound_.device(), scheduler_, sound_.beeper()) {
        scheduler_.setPass(&velmora::AsOneStep);
        window_ = std::make_unique<velmora::MainWindow>(trainer_);
        trainer_.Form_Load();  // opens the synthesizer before it returns
        window_->show();
        trainer_.panel().lstPitch.setSelected(0, true);
    }
    ~Program() {
        window_.reset();
        trainer_.Form_Unload();
    }

    std::string sound() { return sound_.device().description(); }

    // Percent of one core while a run plays at `tempo` with notes of the
    // value at `durationIndex`.
    double playing(QApplication& app, int tempo, int durationIndex) {
        velmora::Panel& panel = trainer_.panel();
        panel.vsbTempo.setValue(tempo);
        panel.lstDuration.setListIndex(durationIndex);
        panel.cmdPlay.click();
        const double percent = CpuPercentOver(app);
        // A run that stopped early would make the figure meaningless.
        if (!trainer_.state().exerciseRunning) {
            std::fprintf(stderr, "play_cpu_bench: the run stopped before the time was up\n");
            std::exit(1);
        }
        panel.cmdPlayStop.click();
        return percent;
    }

private:
    velmora::SoundSetup sound_;
    velmora::QtScheduler scheduler_;
    velmora::Trainer trainer_;
    std::unique_ptr<velmora::MainWindow> window_;
};

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    velmora::testing::TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    QApplication app(argc, argv);
    const std::string how =
        "play_cpu_bench: getrusage of the whole process (trainer, offscreen window, synthesizer) "
        "over " +
        std::to_string(kSeconds) + " s";

    {
        // No server anywhere: none named, and no socket where one would be.
        unsetenv("PULSE_SERVER");
        setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        Program program;
        std::printf("without a sound server: %s\n", program.sound().c_str());
        const double slow = program.playing(app, 60, kWholeIndex);
        const double fast = program.playing(app, 240, kSixteenthIndex);
        std::printf("  CPU playing at 60 Whole %.3f %%, at 240 16th %.3f %%\n", slow, fast);
        PrintFigure("CPU while a run plays, no sound server, tempo 60 Whole",
                    Format("%.2f %%", slow), "<= 0.5 %", how);
        PrintFigure("CPU while a run plays, no sound server, tempo 240 16th",
                    Format("%.2f %%", fast), "<= 0.5 %", how);
    }

    velmora::testing::SoundServer server;
    if (!server.start()) {
        std::fprintf(stderr, "play_cpu_bench: PulseAudio could not be started: %s\n",
                     server.log().c_str());
        return 1;
    }
    setenv("PULSE_SERVER", server.address().c_str(), 1);
    {
        Program program;
        std::printf("with a sound server: %s\n", program.sound().c_str());
        if (program.sound().find("(pulseaudio)") == std::string::npos) return 1;
        // Settled first: the driver has started and the first buffers are out.
        QTimer::singleShot(2000, &app, [] { QApplication::exit(0); });
        app.exec();
        const double idle = CpuPercentOver(app);
        const double slow = program.playing(app, 60, kWholeIndex);
        const double fast = program.playing(app, 240, kSixteenthIndex);
        std::printf("  CPU idle %.3f %%, playing at 60 Whole %.3f %%, at 240 16th %.3f %%\n", idle,
                    slow, fast);
        const std::string live = how + ", PulseAudio with a null sink";
        PrintFigure("CPU idle, live sound server", Format("%.2f %%", idle), "<= 1 %", live);
        PrintFigure("CPU while a run plays, live sound server, tempo 60 Whole",
                    Format("%.2f %%", slow), "<= 3 %", live);
        PrintFigure("CPU while a run plays, live sound server, tempo 240 16th",
                    Format("%.2f %%", fast), "<= 3 %", live);
    }

    const velmora::SoundOptions defaults;
    for (const char* driver : {"pulseaudio", "alsa"}) {
        PrintFigure(
            std::string("Audio latency of the built-in synthesizer, ") + driver,
            Format("%.1f ms", velmora::ConfiguredLatencyMs(defaults, driver)), "<= 6 ms",
            "play_cpu_bench: period size x periods / sample rate as configured for the driver");
    }
    return 0;
}
