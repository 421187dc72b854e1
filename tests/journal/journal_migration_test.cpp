// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// A journal and a recovery file as the first layout's own code wrote them
// (tests/journal/data): SampleEntry(0) to (6) in two sessions, the sixth
// replacing another; kept at a closing, SampleEntry(7), and SampleEntry(8)
// replacing SampleEntry(20). That code knew nothing of the coach.

#include <gmock/gmock.h>
#include <sqlite3.h>

#include "journal/journal_store.h"
#include "journal/journal_support.h"
#include "journal/recovery_file.h"
#include "testing/helpers.h"
#include "testing/temp_dir.h"

namespace velmora::testing {
namespace journal_migration {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

fs::path FirstLayoutData(const char* name) {
    return fs::path(__FILE__).parent_path() / "data" / name;
}

// As the first layout was given it: no question chosen by the coach.
JournalEntry FirstLayoutAnswer(int i) {
    JournalEntry entry = SampleEntry(i);
    entry.coachChose = entry.earCleared = false;
    return entry;
}

std::int64_t PragmaOf(const fs::path& path, const char* pragma) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(db, pragma, -1, &q, nullptr);
    const std::int64_t value = sqlite3_step(q) == SQLITE_ROW ? sqlite3_column_int64(q, 0) : -1;
    sqlite3_finalize(q);
    sqlite3_close_v2(db);
    return value;
}

TEST(FirstLayoutJournal, IsBroughtUpToDateOnceWithEveryAnswerAndWhatWasKept) {
    TempDir dir;
    const fs::path path = dir.path() / "journal.sqlite";
    fs::copy_file(FirstLayoutData("journal-v1.sqlite"), path);

    // Read as it is: a look at the file changes nothing in it.
    auto entries = ReadAll(path.string());
    ASSERT_EQ(entries.size(), 7u);
    for (int i = 0; i < 7; ++i) ExpectSameAnswer(entries[i], FirstLayoutAnswer(i));
    EXPECT_EQ(PragmaOf(path, "PRAGMA user_version"), 1);

    fs::copy_file(FirstLayoutData("journal-v1.recovery"), RecoveryFileBeside(path.string()));
    {
        SqliteJournal journal(path.string(), {});
        for (int i = 10; i < 12; ++i) journal.record(SampleEntry(i));
        ASSERT_TRUE(journal.drain(10s));
    }
    EXPECT_EQ(PragmaOf(path, "PRAGMA user_version"), kJournalSchemaVersion);
    const std::int64_t schema = PragmaOf(path, "PRAGMA schema_version");
    {
        SqliteJournal journal(path.string(), {});
        journal.record(SampleEntry(12));
        ASSERT_TRUE(journal.drain(10s));
    }
    EXPECT_EQ(PragmaOf(path, "PRAGMA schema_version"), schema) << "brought up to date again";

    entries = ReadAll(path.string());
    ASSERT_EQ(entries.size(), 12u);
    for (int i = 0; i < 9; ++i) ExpectSameAnswer(entries[i], FirstLayoutAnswer(i));
    for (int i = 10; i < 13; ++i) ExpectSameAnswer(entries[i - 1], SampleEntry(i));
    EXPECT_FALSE(fs::exists(RecoveryFileBeside(path.string())));
}

TEST(RecoveryFile, ReadsTheFirstLayoutsLinesAndKeepsTheCoachsPart) {
    std::size_t unreadable = 99;
    const auto old =
        ParseRecoveryText(ReadText(FirstLayoutData("journal-v1.recovery")), unreadable);
    EXPECT_EQ(unreadable, 0u);
    ASSERT_EQ(old.size(), 1u);
    ASSERT_EQ(old[0].operations.size(), 3u);
    ExpectSameAnswer(old[0].operations[0].entry, FirstLayoutAnswer(7));
    EXPECT_EQ(old[0].operations[2].kind, KeptOperation::Kind::Replace);
    EXPECT_EQ(old[0].operations[2].replaced.utcMilliseconds, SampleEntry(20).utcMilliseconds);
    ExpectSameAnswer(old[0].operations[2].entry, FirstLayoutAnswer(8));

    KeptSession kept{1'796'000'000'000, 60, {}};
    for (int i = 0; i < 4; ++i) {
        kept.operations.emplace_back();
        kept.operations.back().entry = SampleEntry(i);
    }
    const std::string text = RecoveryText(kept, "journal.sqlite");
    const auto back = ParseRecoveryText(text, unreadable);
    EXPECT_EQ(unreadable, 0u);
    ASSERT_EQ(back.size(), 1u);
    ASSERT_EQ(back[0].operations.size(), 4u);
    for (int i = 0; i < 4; ++i) ExpectSameAnswer(back[0].operations[i].entry, SampleEntry(i));

    // A flag is 0 or 1, and a line with only one of the two is cut short.
    const std::string last = text.substr(text.rfind('\n', text.size() - 2) + 1);
    for (const std::string& broken :
         {last.substr(0, last.size() - 2) + "2\n", last.substr(0, last.size() - 3) + "\n"}) {
        ParseRecoveryText(text + broken, unreadable);
        EXPECT_EQ(unreadable, 1u) << broken;
    }
}

}  // namespace journal_migration
}  // namespace velmora::testing
