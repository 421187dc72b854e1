// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include <gmock/gmock.h>
#include <sqlite3.h>

#include <csignal>
#include <map>

#include "journal/journal_support.h"
#include "testing/child_process.h"
#include "testing/temp_dir.h"

namespace velmora::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

TEST(JournalDurability, ATrainerKilledAfterItsAnswersLeavesEveryOne) {
    TempDir dir;
    const std::string path = (dir.path() / "journal.sqlite").string();
    constexpr int kAnswers = 25;
    Child child({JOURNAL_CHILD, path, std::to_string(kAnswers)});
    ASSERT_TRUE(child.waitForStdout("written 25\n", 60s)) << child.err();
    EXPECT_EQ(child.stop(SIGKILL, 10s), 128 + SIGKILL);
    const auto entries = ReadAll(path);
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(kAnswers));
    // Every fifth answer over-long: its replacement is on disk too.
    for (int i = 0; i < kAnswers; ++i)
        EXPECT_EQ(entries[i].answered.size(), entries[i].notes.size() + (i % 5 == 4)) << i;
}

TEST(JournalDurability, TwoTrainersWritingAtOnceKeepBothRecords) {
    TempDir dir;
    const std::string path = (dir.path() / "journal.sqlite").string();
    constexpr int kAnswers = 150;
    Child first({JOURNAL_CHILD, path, std::to_string(kAnswers)});
    Child second({JOURNAL_CHILD, path, std::to_string(kAnswers)});
    ASSERT_TRUE(first.waitForStdout("written", 120s)) << first.err();
    ASSERT_TRUE(second.waitForStdout("written", 120s)) << second.err();
    first.stop(SIGKILL, 10s);
    second.stop(SIGKILL, 10s);
    std::map<std::int64_t, int> perSession;
    std::map<std::int64_t, int> lastQuestion;
    for (const JournalEntry& entry : ReadAll(path)) {
        ++perSession[entry.session];
        EXPECT_GE(entry.question, lastQuestion[entry.session]) << "each in its own order";
        lastQuestion[entry.session] = entry.question;
    }
    ASSERT_EQ(perSession.size(), 2u);
    for (auto [session, count] : perSession) EXPECT_EQ(count, kAnswers) << session;
}

// A trainer that ends while another program holds the journal keeps its
// answers for the next start, which adds each once.
TEST(JournalDurability, ATrainerEndingWhileTheJournalIsLockedKeepsItsAnswersForTheNextStart) {
    TempDir dir;
    const std::string path = (dir.path() / "journal.sqlite").string();
    { SqliteJournal(path, {}).record(SampleEntry(0)); }
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    constexpr int kAnswers = 10;
    Child child({JOURNAL_CHILD, path, std::to_string(kAnswers), "keep"},
                {"XDG_STATE_HOME=" + (dir.path() / "state").string()});
    ASSERT_TRUE(child.waitForStdout("answered 10\n", 60s)) << child.err();
    EXPECT_EQ(child.stop(SIGTERM, 20s), 0) << child.err();
    EXPECT_THAT(child.err(),
                HasSubstr("10 answers could not be written; kept in " + path + ".recovery"));
    sqlite3_close_v2(other);
    { SqliteJournal next(path, {}); }
    const auto entries = ReadAll(path);
    ASSERT_EQ(entries.size(), 1u + kAnswers);
    ExpectSameAnswer(entries[0], SampleEntry(0));
    for (int i = 0; i < kAnswers; ++i) {
        EXPECT_EQ(entries[1 + i].question, i + 1);
        EXPECT_EQ(entries[1 + i].answered.size(), entries[1 + i].notes.size() + (i % 5 == 4)) << i;
    }
}

}  // namespace
}  // namespace velmora::testing
