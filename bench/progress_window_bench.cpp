// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// The Progress window with 1 000 000 answers in its statistics: loading them,
// opening and painting the window, and one new answer bringing it up to date.
//
//   progress_window_bench                     prints the figures
//   progress_window_bench --screenshot FILE   a journal of six weeks, as a PNG
//                         [--period N] [--filter N] [--pitch N] [--days N] [--per-day N]

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QPixmap>

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "figures.h"
#include "practice_journal.h"
#include "progress/progress_feed.h"
#include "progress/progress_statistics.h"
#include "scoring/spelling.h"
#include "ui/progress_charts.h"
#include "ui/progress_controller.h"
#include "ui/progress_window.h"

namespace {

using velmora::bench::Format;
using velmora::bench::Median;
using velmora::bench::MonotonicSeconds;
using velmora::bench::PrintFigure;

constexpr std::size_t kAnswers = 1'000'000;
constexpr int kSamples = 51;

std::array<std::string, velmora::kPitchClasses> Names(int key) {
    std::array<std::string, velmora::kPitchClasses> names;
    for (int i = 0; i < velmora::kPitchClasses; ++i) {
        names[i] = velmora::kSpellingTable[key][i];
    }
    return names;
}

std::int64_t NowUtc() {
    return QDateTime::currentDateTimeUtc().toMSecsSinceEpoch();
}

// Generated answers are handed over in batches, so that only the adding is timed.
double LoadTimed(velmora::ProgressStatistics& statistics, std::size_t count, int days, int perDay) {
    velmora::bench::PracticeJournal journal(days, perDay, NowUtc() - 86'400'000);
    std::vector<velmora::JournalEntry> batch;
    double seconds = 0;
    std::size_t taken = 0;
    auto flush = [&] {
        const double start = MonotonicSeconds();
        for (const auto& entry : batch) statistics.addHistory(entry);
        seconds += MonotonicSeconds() - start;
        batch.clear();
    };
    journal.generate([&](const velmora::JournalEntry& entry) {
        if (taken >= count) return;
        ++taken;
        batch.push_back(entry);
        if (batch.size() == 10'000) flush();
    });
    flush();
    return seconds;
}

// CPU time of this thread: the figures below hold also on a busy machine,
// where wall-clock time includes waiting for a core.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct PaintCount : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

int Screenshot(int argc, char** argv) {
    std::string file;
    int period = 3, filter = 0, pitch = 0, days = 42, perDay = 160;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--screenshot") file = argv[i + 1];
        if (option == "--period") period = std::atoi(argv[i + 1]);
        if (option == "--filter") filter = std::atoi(argv[i + 1]);
        if (option == "--pitch") pitch = std::atoi(argv[i + 1]);
        if (option == "--days") days = std::max(1, std::atoi(argv[i + 1]));
        if (option == "--per-day") perDay = std::max(1, std::atoi(argv[i + 1]));
    }
    velmora::ProgressStatistics statistics;
    velmora::ProgressStatistics loaded;
    LoadTimed(loaded, kAnswers, days, perDay);
    statistics.mergeHistory(std::move(loaded));
    velmora::ProgressFeed feed(statistics);
    // A run going on now.
    velmora::bench::PracticeJournal tonight(1, 60, NowUtc(), 5);
    tonight.generate([&](velmora::JournalEntry entry) {
        entry.run = 1;
        entry.utcMilliseconds = NowUtc() - 600'000;
        feed.record(entry);
    });
    velmora::ProgressController progress(statistics, [] { return Names(3); });
    feed.onChange([&progress] { progress.refresh(); });
    velmora::ProgressWindow& window = progress.show();
    window.findChildren<QComboBox*>()[0]->setCurrentIndex(period);
    window.findChildren<QComboBox*>()[1]->setCurrentIndex(filter);
    window.findChildren<QComboBox*>()[2]->setCurrentIndex(pitch);
    QApplication::processEvents();
    if (!window.grab().save(QString::fromStdString(file))) {
        std::fprintf(stderr, "progress_window_bench: cannot write %s\n", file.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (argc > 2 && std::strcmp(argv[1], "--screenshot") == 0) return Screenshot(argc, argv);

    // Loading: 1 000 000 answers over some 900 days, as read from the journal.
    velmora::ProgressStatistics loaded;
    const double loadSeconds = LoadTimed(loaded, kAnswers, 900, 1300);
    std::printf("loaded %zu answers in %.3f s\n", loaded.answers(), loadSeconds);
    velmora::ProgressStatistics statistics;
    double start = MonotonicSeconds();
    statistics.mergeHistory(std::move(loaded));
    const double mergeSeconds = MonotonicSeconds() - start;
    PrintFigure("Progress: add 1 000 000 answers to the statistics",
                Format("%.0f ms", loadSeconds * 1000), "",
                "progress_window_bench: addHistory on a worker's statistics, generated answers "
                "(reading the journal from disk not included)");
    PrintFigure("Progress: hand the loaded statistics to the window",
                Format("%.1f ms", mergeSeconds * 1000), "", "progress_window_bench: mergeHistory");

    // Opening: building the window (it is built on first use), taking the
    // all-time figures and painting.
    std::vector<double> opens;
    std::vector<double> openCpu;
    for (int i = 0; i < 5; ++i) {
        start = MonotonicSeconds();
        const double startCpu = ThreadSeconds();
        velmora::ProgressController progress(statistics, [] { return Names(0); });
        PaintCount painted;
        progress.show().findChild<velmora::DayChart*>()->installEventFilter(&painted);
        QApplication::processEvents();
        opens.push_back((MonotonicSeconds() - start) * 1000);
        openCpu.push_back((ThreadSeconds() - startCpu) * 1000);
        if (painted.count == 0) std::fprintf(stderr, "progress_window_bench: nothing painted\n");
    }
    std::printf("open and paint: first %.1f ms (CPU %.1f ms), median of 5 %.1f ms\n", opens.front(),
                openCpu.front(), Median(opens));
    PrintFigure("Progress window opens and paints, 1 000 000 answers",
                Format("%.1f ms", opens.front()) + Format(" (CPU %.1f ms)", openCpu.front()),
                "<= 200 ms",
                "progress_window_bench: first of 5 (the slowest, cold); built on first show, "
                "processEvents (the first paint); offscreen");

    // One answer while the window is up: into the statistics, the figures
    // brought up to date, the window repainted.
    velmora::ProgressFeed feed(statistics);
    velmora::ProgressController progress(statistics, [] { return Names(0); });
    feed.onChange([&progress] { progress.refresh(); });
    velmora::ProgressWindow& window = progress.show();
    QApplication::processEvents();
    velmora::bench::PracticeJournal tonight(1, 400, NowUtc(), 9);
    std::vector<velmora::JournalEntry> answers;
    tonight.generate([&](velmora::JournalEntry entry) {
        entry.run = 1;
        entry.utcMilliseconds = NowUtc();
        answers.push_back(entry);
    });
    for (int period = 0; period < 4; period += 3) {
        window.findChildren<QComboBox*>()[0]->setCurrentIndex(period);
        QApplication::processEvents();
        std::vector<double> times;
        std::vector<double> figuresOnly;
        std::vector<double> cpu;
        for (int i = 0; i < kSamples; ++i) {
            const auto& entry = answers[static_cast<std::size_t>(i) % answers.size()];
            start = MonotonicSeconds();
            const double startCpu = ThreadSeconds();
            feed.record(entry);
            figuresOnly.push_back((MonotonicSeconds() - start) * 1000);
            // The widgets that changed repaint.
            QApplication::processEvents();
            times.push_back((MonotonicSeconds() - start) * 1000);
            cpu.push_back((ThreadSeconds() - startCpu) * 1000);
        }
        const char* name = period == 0 ? "this run" : "all time";
        std::printf(
            "one answer, %s: median %.2f ms (%.2f ms before painting; CPU %.2f ms), max %.2f ms\n",
            name, Median(times), Median(figuresOnly), Median(cpu),
            *std::max_element(times.begin(), times.end()));
        PrintFigure(
            std::string("Progress window follows one answer (") + name + "), 1 000 000 answers",
            Format("%.2f ms", Median(times)) + Format(" (CPU %.2f ms)", Median(cpu)), "<= 5 ms",
            "progress_window_bench: median of 51; record through ProgressFeed, "
            "processEvents (paints what changed); offscreen");
    }
    return 0;
}
