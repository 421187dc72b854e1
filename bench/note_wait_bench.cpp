// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// How late the end of a note comes on the real event loop, and how idle the
// process stays while it waits: 500 questions of one 16th note at 240 beats
// per minute (62.5 ms each), played back to back.

#include <time.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "desktop/qt_scheduler.h"
#include "figures.h"
#include "midi/messages.h"
#include "sixteenth_questions.h"
#include "testing/trainer_rig.h"

namespace {

using velmora::bench::Percentile;

constexpr int kQuestions = 500;

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QCoreApplication app(argc, argv);

    velmora::QtScheduler scheduler;
    velmora::testing::TrainerRig rig({.scheduler = &scheduler});
    velmora::Trainer& trainer = rig.trainer;
    const velmora::RecordingMidiOut& device = rig.device;
    trainer.Form_Load();
    const velmora::Nanos noteLength = velmora::bench::PlaySixteenthsAt240(trainer);
    const double noteMs = trainer.playback().noteDurationMs();

    std::vector<double> latenessMs;
    latenessMs.reserve(kQuestions);
    velmora::Nanos questionStart{0};

    std::function<void()> playNext;
    playNext = [&] {
        questionStart = scheduler.now();
        trainer.playback().PlayQuestion([&] {
            // Runs right after the note-off went out.
            const velmora::Nanos late = scheduler.now() - (questionStart + noteLength);
            latenessMs.push_back(static_cast<double>(late.count()) / 1e6);
            if (static_cast<int>(latenessMs.size()) < kQuestions) {
                playNext();
            } else {
                QCoreApplication::quit();
            }
        });
    };

    const double cpuBefore = CpuSeconds();
    const velmora::Nanos wallBefore = scheduler.now();
    scheduler.startTimer(wallBefore, playNext);
    app.exec();
    const double wall = static_cast<double>((scheduler.now() - wallBefore).count()) / 1e9;
    const double cpu = CpuSeconds() - cpuBefore;

    const auto noteOffs =
        std::count_if(device.messages.begin(), device.messages.end(), [](std::uint32_t message) {
            return (velmora::StatusOf(message) & 0xF0) == velmora::kNoteOffStatus;
        });
    std::printf("note waits: %zu of %.3f ms, note-offs sent: %ld\n", latenessMs.size(), noteMs,
                static_cast<long>(noteOffs));
    if (latenessMs.empty()) return 1;
    std::printf("note-off lateness: median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                Percentile(latenessMs, 0.5), Percentile(latenessMs, 0.99),
                *std::max_element(latenessMs.begin(), latenessMs.end()));
    std::printf("CPU: %.3f s of %.3f s wall (%.2f %%)\n", cpu, wall, 100.0 * cpu / wall);

    const std::string how =
        "note_wait_bench: " + std::to_string(kQuestions) +
        " notes of 62.5 ms on QtScheduler, note-off time minus start + duration";
    auto ms = [](double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f ms", value);
        return std::string(text);
    };
    auto figure = [&](const char* what, const std::string& value, const char* goal) {
        std::printf("figure\t%s\t%s\t%s\t%s\n", what, value.c_str(), goal, how.c_str());
    };
    figure("Note-off lateness p50", ms(Percentile(latenessMs, 0.5)), "-");
    figure("Note-off lateness p99", ms(Percentile(latenessMs, 0.99)), "<= 1 ms");
    figure("Note-off lateness max", ms(*std::max_element(latenessMs.begin(), latenessMs.end())),
           "<= 3 ms");
    return 0;
}
