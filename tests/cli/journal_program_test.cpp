// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include "cli/program_support.h"
#include "journal/journal_support.h"

namespace velmora::testing {
namespace {

using namespace std::chrono_literals;

TEST(JournalProgram, ExportsTheJournalWithoutAWindow) {
    TempDir dir;
    const std::string journal = (dir.path() / "j.sqlite").string();
    {
        SqliteJournal writer(journal, {});
        writer.record(SampleEntry(3));  // each a line of its own in the table
        writer.record(SampleEntry(3));
    }
    const std::string csv = (dir.path() / "out.csv").string();
    Child good(Velmora({"--journal", journal, "--export-journal", csv}), {"DISPLAY"});
    EXPECT_EQ(good.wait(20s), 0) << good.err();
    EXPECT_EQ(Count(good.out(), "\n"), 1) << good.out();
    EXPECT_EQ(Count(ReadText(csv), "\n"), 3) << "a header and two answers";

    // Each failure: one line, status 1, and no hang on a pipe.
    const std::string fifo = (dir.path() / "pipe.csv").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--journal", journal, "--export-journal", fifo},
          std::vector<std::string>{"--journal", (dir.path() / "none").string(), "--export-journal",
                                   csv},
          std::vector<std::string>{"--export-journal", csv}}) {
        // Not the default journal the other program tests may have made.
        Child bad(Velmora(arguments), {"DISPLAY", "XDG_DATA_HOME=" + dir.path().string()});
        EXPECT_EQ(bad.wait(20s), 1) << arguments.back();
        EXPECT_EQ(Count(bad.err(), "\n"), 1) << bad.err();
        EXPECT_EQ(bad.err().rfind("velmora: cannot export the practice journal: ", 0), 0u)
            << bad.err();
    }
}

TEST(JournalProgram, AnUnwritableJournalIsToldOnceAndTrainingGoesOn) {
    // Not even root can make a folder here.
    Child program(QuietVelmora({"--journal", "/proc/velmora-test/journal.sqlite"}));
    ASSERT_TRUE(program.waitForStderr("Practice journal: cannot write", 20s)) << program.err();
    program.collectFor(1s);
    EXPECT_TRUE(program.running());
    EXPECT_EQ(program.stop(SIGTERM, 20s), 0);
    EXPECT_EQ(Count(program.err(), "\n"), 1) << program.err();
}

}  // namespace
}  // namespace velmora::testing
