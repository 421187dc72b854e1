// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// The single-note drill with the built-in synthesizer and the system's
// default SoundFont, its samples loaded on demand: the drill chooses another
// instrument for every note. How late each note-on reaches the synthesizer,
// and how much memory the process holds after the drill. Played through a
// PulseAudio server of the benchmark's own with a null sink.
//   VELMORA_DRILL_SECONDS (default 300): how long the drill runs.

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/trainer.h"
#include "desktop/qt_scheduler.h"
#include "figures.h"
#include "midi/messages.h"
#include "midi/synth/built_in_synth.h"
#include "testing/servers.h"

namespace {

using velmora::bench::Format;
using velmora::bench::Percentile;
using velmora::bench::PrintFigure;
using Clock = std::chrono::steady_clock;

double ResidentMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0.0;
}

// The built-in synthesizer, noting when the trainer sends each note-on.
class TimedSynth final : public velmora::MidiOut {
public:
    bool open() override { return synth_.open(); }
    void send(std::uint32_t message) override {
        if ((velmora::StatusOf(message) & 0xF0) == velmora::kNoteOnStatus)
            sent.push_back(Clock::now());
        synth_.send(message);
    }
    void close() override { synth_.close(); }
    std::string description() const override { return synth_.description(); }
    bool isWorking() const override { return synth_.isWorking(); }
    velmora::BuiltInSynth& synth() { return synth_; }

    std::vector<Clock::time_point> sent;

private:
    velmora::BuiltInSynth synth_{velmora::SoundOptions{}};
};

}  // namespace

int main(int argc, char** argv) {
    const char* secondsText = std::getenv("VELMORA_DRILL_SECONDS");
    const int seconds = secondsText != nullptr ? std::atoi(secondsText) : 300;
    velmora::testing::TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    velmora::testing::SoundServer server;
    if (!server.start()) {
        std::fprintf(stderr, "instrument_change_bench: PulseAudio could not be started: %s\n",
                     server.log().c_str());
        return 1;
    }
    setenv("PULSE_SERVER", server.address().c_str(), 1);
    QCoreApplication app(argc, argv);

    velmora::QtScheduler scheduler;
    TimedSynth device;
    velmora::Trainer trainer(device, scheduler, device.synth());
    trainer.Form_Load();
    std::printf("%s\n", device.description().c_str());
    if (!device.isWorking()) return 1;
    const double startMb = ResidentMb();

    // Each note-on against the moment the previous note's time was up.
    std::vector<double> lateMs;
    Clock::time_point lastApplied{};
    velmora::Panel& panel = trainer.panel();
    for (int i = 0; i < panel.lstPitch.count(); ++i) panel.lstPitch.setSelected(i, i == 0);
    panel.vsbTempo.setValue(240);  // the drill plays quarter notes: 250 ms each
    panel.pic_Repeat_1_Note.click();
    if (!trainer.state().repeatActive) {
        std::fprintf(stderr, "instrument_change_bench: the drill did not start\n");
        return 1;
    }
    const auto noteLength = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(trainer.playback().noteDurationMs()));
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const Clock::time_point applied = device.synth().lastNoteOnApplied();
        if (applied == lastApplied || device.sent.size() < 2) return;
        lastApplied = applied;
        const Clock::time_point due = device.sent[device.sent.size() - 2] + noteLength;
        lateMs.push_back(std::chrono::duration<double, std::milli>(applied - due).count());
    });
    poll.start(50);
    QTimer::singleShot(seconds * 1000, &app, [] { QCoreApplication::quit(); });
    app.exec();
    panel.cmdPlayStop.click();
    const double endMb = ResidentMb();
    trainer.Form_Unload();

    if (lateMs.empty()) {
        std::printf("instrument_change_bench: no note-on reached the synthesizer\n");
        return 1;
    }
    std::printf(
        "%zu notes, each on a newly drawn instrument; note-on late by median %.3f ms, "
        "p99 %.3f ms, max %.3f ms\n",
        lateMs.size(), Percentile(lateMs, 0.5), Percentile(lateMs, 0.99),
        *std::max_element(lateMs.begin(), lateMs.end()));
    std::printf("resident memory: %.1f MB after opening, %.1f MB after the drill\n", startMb,
                endMb);
    const std::string how = "instrument_change_bench: " + std::to_string(lateMs.size()) +
                            " notes of the drill (quarters at 240), default SoundFont, "
                            "note-on given to FluidSynth minus the end of the previous note";
    PrintFigure("First note on a new instrument, note-on lateness p99",
                Format("%.2f ms", Percentile(lateMs, 0.99)), "<= 2 ms", how);
    PrintFigure("Resident memory after a " + std::to_string(seconds) + " s drill",
                Format("%.1f MB", endMb), "-",
                "instrument_change_bench: VmRSS of the bench (trainer, synthesizer, no window)");
    return 0;
}
