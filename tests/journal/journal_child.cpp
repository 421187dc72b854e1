// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// A trainer with a journal, for the durability tests: answers N questions
// (every fifth over-long), says so once they are written (with "keep": once
// they are answered, written or not), then waits to be killed, or ends as
// the program does on SIGTERM, closing its journal.
//   journal_child JOURNAL N [keep]

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "journal/sqlite_journal.h"
#include "testing/trainer_rig.h"

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 4 && std::string(argv[3]) == "keep")) {
        std::fprintf(stderr, "usage: journal_child JOURNAL N [keep]\n");
        return 2;
    }
    const int answers = std::atoi(argv[2]);
    const bool waitForTheWriter = argc == 3;
    // Blocked before any thread starts, so that every thread leaves it to sigwait.
    sigset_t terminate;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &terminate, nullptr);
    velmora::SqliteJournal journal(argv[1], [](const std::string& status) {
        if (!status.empty()) std::fprintf(stderr, "%s\n", status.c_str());
    });
    velmora::testing::TrainerRig rig({.journal = &journal});
    velmora::Trainer& trainer = rig.trainer;
    trainer.Form_Load();
    velmora::Panel& panel = trainer.panel();
    for (int i = 0; i < velmora::kPitchClasses; ++i) panel.lstPitch.setSelected(i, true);
    panel.cmdPlay.click();
    for (int i = 0; i < answers; ++i) {
        const auto notes = trainer.state().questionNotes;
        for (int note : notes) panel.cmdAnswerButton[velmora::PitchClassOf(note)].click();
        if (i % 5 == 4) panel.cmdAnswerButton[0].click();  // over-long: replaces the record
        rig.clock.advanceBy(std::chrono::seconds(4));      // the next question or a re-posing
    }
    if (waitForTheWriter) {
        if (!journal.drain(std::chrono::seconds(20))) return 1;
        std::printf("written %d\n", answers);
    } else {
        std::printf("answered %d\n", answers);
    }
    std::fflush(stdout);
    int received = 0;
    sigwait(&terminate, &received);
    return 0;
}
