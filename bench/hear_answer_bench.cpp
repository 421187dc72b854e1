// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// "Hear my answer" through the built-in synthesizer and the system's default
// SoundFont: from the call to its first note-on reaching the synthesizer,
// each time on another instrument (its samples loaded on demand), after a
// wrong answer and STOP. Played through a PulseAudio server of the
// benchmark's own with a null sink.
//   VELMORA_HEARINGS (default 200): how many hearings.

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/trainer.h"
#include "desktop/qt_scheduler.h"
#include "figures.h"
#include "midi/synth/built_in_synth.h"
#include "sixteenth_questions.h"
#include "testing/servers.h"
#include "testing/temp_dir.h"

namespace {

using velmora::bench::Format;
using velmora::bench::Percentile;
using velmora::bench::PrintFigure;
using Clock = std::chrono::steady_clock;

// Runs the event loop until `done`, or for at most `limit`.
template <typename Done>
bool RunUntil(Done done, Clock::duration limit) {
    const Clock::time_point end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace std::chrono_literals;
    const char* countText = std::getenv("VELMORA_HEARINGS");
    const int hearings = countText != nullptr ? std::atoi(countText) : 200;
    velmora::testing::TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    velmora::testing::SoundServer server;
    if (!server.start()) {
        std::fprintf(stderr, "hear_answer_bench: PulseAudio could not be started: %s\n",
                     server.log().c_str());
        return 1;
    }
    setenv("PULSE_SERVER", server.address().c_str(), 1);
    QCoreApplication app(argc, argv);

    velmora::QtScheduler scheduler;
    velmora::BuiltInSynth synth{velmora::SoundOptions{}};
    velmora::Trainer trainer(synth, scheduler, synth);
    trainer.Form_Load();
    std::printf("%s\n", synth.description().c_str());
    if (!synth.isWorking()) return 1;

    // One wrong answer, then STOP: the hearing then plays at once.
    velmora::Panel& panel = trainer.panel();
    for (int i = 0; i < velmora::kPitchClasses; ++i)
        panel.lstPitch.setSelected(i, i == 3 || i == 4);
    velmora::bench::PlaySixteenthsAt240(trainer);
    panel.cmdPlay.click();
    trainer.state().questionNotes = {63};
    panel.cmdAnswerButton[4].click();
    panel.cmdPlayStop.click();
    if (!RunUntil([&] { return !trainer.playback().isWaiting(); }, 2s)) return 1;

    std::vector<double> latencyMs;
    for (int i = 0; i < hearings; ++i) {
        panel.cboInstrument.setListIndex((i * 37) % 128);
        const Clock::time_point called = Clock::now();
        if (!trainer.HearMyAnswer()) {
            std::fprintf(stderr, "hear_answer_bench: hearing %d was refused\n", i);
            return 1;
        }
        if (!RunUntil([&] { return synth.lastNoteOnApplied() >= called; }, 2s)) {
            std::fprintf(stderr, "hear_answer_bench: hearing %d never reached the synthesizer\n",
                         i);
            return 1;
        }
        latencyMs.push_back(
            std::chrono::duration<double, std::milli>(synth.lastNoteOnApplied() - called).count());
        if (!RunUntil([&] { return !trainer.playback().isWaiting(); }, 2s)) return 1;
    }
    trainer.Form_Unload();

    std::printf(
        "%d hearings, each on another instrument: first note-on after the call: median %.3f ms, "
        "p95 %.3f ms, max %.3f ms\n",
        hearings, Percentile(latencyMs, 0.5), Percentile(latencyMs, 0.95),
        Percentile(latencyMs, 1.0));
    PrintFigure("Hear my answer, first note p95", Format("%.2f ms", Percentile(latencyMs, 0.95)),
                "<= 300 ms",
                "hear_answer_bench: " + std::to_string(hearings) +
                    " hearings after a wrong answer and STOP, default SoundFont, a new "
                    "instrument each time, HearMyAnswer() to the note-on given to FluidSynth");
    return 0;
}
