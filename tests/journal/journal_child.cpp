// A trainer with a journal, for the durability tests: answers N questions
// (every fifth over-long), says so once they are written, then waits to be
// killed.
//   journal_child JOURNAL N

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "journal/sqlite_journal.h"
#include "testing/trainer_rig.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: journal_child JOURNAL N\n");
        return 2;
    }
    const int answers = std::atoi(argv[2]);
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
    if (!journal.drain(std::chrono::seconds(20))) return 1;
    std::printf("written %d\n", answers);
    std::fflush(stdout);
    for (;;) pause();
}
