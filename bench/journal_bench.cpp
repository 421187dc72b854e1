// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// The practice journal with 1 000 000 answers in it: what recording one more
// answer costs the window's thread, how long exporting them all takes, and
// how many bytes an answer takes in the file.

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "figures.h"
#include "journal/journal_store.h"
#include "journal/sqlite_journal.h"
#include "testing/temp_dir.h"
#include "testing/trainer_rig.h"

namespace {

using velmora::bench::Format;
using velmora::bench::MonotonicSeconds;
using velmora::bench::PrintFigure;

constexpr int kAnswers = 1'000'000;
constexpr int kTimedAnswers = 2000;

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

long long FileBytes(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

// Answers as a trainer gives them: two-note chords mostly right, the settings
// of the window at start-up.
velmora::JournalEntry Answer(int i) {
    velmora::JournalEntry entry;
    entry.utcMilliseconds = 1'790'000'000'000 + i * 4'000LL;
    entry.utcOffsetMinutes = 60;
    entry.run = 1 + i / 200;
    entry.question = 1 + i % 200;
    entry.notes = {48 + i % 24, 55 + i % 24};
    entry.questionText = "C3-G3";
    entry.answered = {i % 12, (i + 7) % 12};
    entry.correct = i % 4 != 0;
    entry.verdict = entry.correct ? "Correct" : "Incorrect";
    entry.program = i % 128;
    entry.noteValue = "Whole";
    entry.tempo = 60;
    entry.keySignature = "F major or D minor";
    entry.responseMilliseconds = 800 + i % 3000;
    return entry;
}

}  // namespace

int main() {
    velmora::testing::TempDir dir;
    const std::string path = (dir.path() / "journal.sqlite").string();

    // The journal, in one transaction.
    double start = MonotonicSeconds();
    {
        velmora::JournalStore store;
        std::int64_t session = 0;
        std::int64_t id = 0;
        if (store.open(path) || store.beginSession(0, 0, session) || store.execute("BEGIN")) {
            std::fprintf(stderr, "journal_bench: cannot create %s\n", path.c_str());
            return 1;
        }
        for (int i = 0; i < kAnswers; ++i) store.insert(Answer(i), session, id);
        store.execute("COMMIT");
        store.execute("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    std::printf("wrote %d answers in %.2f s\n", kAnswers, MonotonicSeconds() - start);
    const long long bytes = FileBytes(path) + FileBytes(path + "-wal");
    PrintFigure("Journal size per answer", Format("%.0f bytes", double(bytes) / kAnswers), "-",
                "journal_bench: file size / " + std::to_string(kAnswers) +
                    " answers (two-note chords), after a checkpoint");

    // Answers given to a trainer that journals them: the whole press handling
    // on the window's thread, the writer thread busy beside it.
    {
        velmora::SqliteJournal journal(path, {});
        velmora::testing::TrainerRig rig({.journal = &journal});
        velmora::Trainer& trainer = rig.trainer;
        trainer.Form_Load();
        velmora::Panel& panel = trainer.panel();
        panel.lstPitch.setSelected(0, true);
        panel.cmdPlay.click();
        std::vector<double> ms;
        for (int i = 0; i < kTimedAnswers; ++i) {
            trainer.state().questionNotes = {60};
            trainer.state().questionText = "C4";
            trainer.state().answerIndex = -1;
            panel.lblNoteInput.setCaption("");
            const double before = MonotonicSeconds();
            panel.cmdAnswerButton[i % 3 == 0 ? 3 : 0].click();
            ms.push_back((MonotonicSeconds() - before) * 1000);
            // A little apart, as a person answers; the writer keeps up.
            if (i % 50 == 49) journal.drain(std::chrono::seconds(10));
        }
        trainer.Form_Unload();
        const bool written = journal.drain(std::chrono::seconds(30));
        std::printf("timed answers written: %s\n", written ? "all" : "NOT ALL");
        const std::string how = "journal_bench: " + std::to_string(kTimedAnswers) +
                                " answers graded, recorded and queued for the journal (" +
                                std::to_string(kAnswers) + " in it), headless trainer";
        PrintFigure("Record an answer with the journal, p50",
                    Format("%.3f ms", velmora::bench::Percentile(ms, 0.5)), "<= 1 ms", how);
        PrintFigure("Record an answer with the journal, p99",
                    Format("%.3f ms", velmora::bench::Percentile(ms, 0.99)), "<= 1 ms", how);
        PrintFigure("Record an answer with the journal, max",
                    Format("%.3f ms", velmora::bench::Percentile(ms, 1.0)), "<= 1 ms", how);
    }

    start = MonotonicSeconds();
    long long read = 0;
    std::string error;
    velmora::ReadJournal(
        path, [&](const velmora::JournalEntry&) { ++read; }, error);
    std::printf("read %lld answers in %.2f s\n", read, MonotonicSeconds() - start);

    const std::string csv = (dir.path() / "journal.csv").string();
    start = MonotonicSeconds();
    const double cpuStart = ThreadCpuSeconds();
    if (!velmora::ExportJournalCsv(path, csv, error)) {
        std::fprintf(stderr, "journal_bench: export failed: %s\n", error.c_str());
        return 1;
    }
    const double exportSeconds = MonotonicSeconds() - start;
    const double exportCpu = ThreadCpuSeconds() - cpuStart;
    std::printf("exported %lld bytes of CSV, %.2f s of CPU\n", FileBytes(csv), exportCpu);
    PrintFigure("Export 1 000 000 answers as CSV", Format("%.2f s", exportSeconds), "<= 3 s",
                "journal_bench: ExportJournalCsv to a file in a temporary folder, wall clock (" +
                    Format("%.2f s", exportCpu) + " of CPU)");
    return 0;
}
