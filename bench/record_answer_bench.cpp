// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// What one answer costs as the run's log grows: grading, recording, the
// statistics, and bringing the window's table and lists up to date, at 100,
// 10 000 and 30 000 records.

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "headless_window.h"

namespace {

constexpr int kSamples = 51;

}  // namespace

int main(int argc, char** argv) {
    velmora::bench::DefaultToOffscreen();
    QApplication app(argc, argv);
    velmora::bench::HeadlessWindow headless;
    velmora::Trainer& trainer = headless.trainer;

    velmora::Panel& panel = trainer.panel();
    velmora::TrainerState& state = trainer.state();
    panel.lstPitch.setSelected(0, true);
    panel.cmdPlay.click();

    // One answer: a one-note question answered at the first press, right and
    // wrong in turn, then the window brought up to date.
    int answered = 0;
    auto answer = [&] {
        state.questionNotes = {60};
        state.questionText = "C4";
        state.answerIndex = -1;
        panel.lblNoteInput.setCaption("");
        panel.cmdAnswerButton[answered % 3 == 0 ? 3 : 0].click();
        QApplication::processEvents();
        ++answered;
    };

    std::printf("record one answer and bring the window up to date (median of %d answers)\n",
                kSamples);
    for (int size : {100, 10000, 30000}) {
        while (answered < size - kSamples / 2) answer();
        std::vector<double> times;
        for (int i = 0; i < kSamples; ++i) {
            const auto start = std::chrono::steady_clock::now();
            answer();
            times.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
        std::sort(times.begin(), times.end());
        std::printf("  at %6d records: median %.3f ms, max %.3f ms\n", size, times[kSamples / 2],
                    times.back());
        std::printf(
            "figure\tRecord one answer and update the window, %d records\t%.3f ms\t<= 1 "
            "ms\trecord_answer_bench: median of %d answers, offscreen window, "
            "steady_clock around click + processEvents\n",
            size, times[kSamples / 2], kSamples);
    }
    std::printf("  records in the table: %zu\n", panel.ListView1.rows().size());
    trainer.Form_Unload();
    return 0;
}
