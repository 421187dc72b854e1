// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include <gmock/gmock.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "journal/journal_support.h"
#include "testing/helpers.h"
#include "testing/temp_dir.h"

namespace velmora::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

TEST(DefaultJournalPath, FollowsTheDataHomeOrElseHome) {
    ScopedEnvironment home("HOME", "/home/u");
    {
        ScopedEnvironment data("XDG_DATA_HOME", "/data");
        EXPECT_EQ(DefaultJournalPath(), "/data/velmora/journal.sqlite");
    }
    for (const char* ignored : {"", "relative/dir"}) {
        ScopedEnvironment data("XDG_DATA_HOME", ignored);
        EXPECT_EQ(DefaultJournalPath(), "/home/u/.local/share/velmora/journal.sqlite") << ignored;
    }
}

TEST(SqliteJournal, KeepsEveryAnswerExactlyAndReplacesOnlyTheLast) {
    TempDir dir;
    const std::string path = (dir.path() / "sub" / "journal.sqlite").string();
    std::vector<JournalEntry> expected;
    {
        SqliteJournal journal(path, {});
        for (int i = 0; i < 30; ++i) {
            expected.push_back(SampleEntry(i));
            journal.record(expected.back());
        }
        // Replaced while it may still wait in the queue...
        expected.back() = SampleEntry(100);
        journal.replaceLast(expected.back());
        ASSERT_TRUE(journal.drain(10s));
        // ...and once it is on disk, twice.
        expected.back() = SampleEntry(101);
        journal.replaceLast(SampleEntry(102));
        journal.replaceLast(expected.back());
    }
    {
        SqliteJournal second(path, {});
        expected.push_back(SampleEntry(103));
        second.record(expected.back());
    }
    const auto entries = ReadAll(path);
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectSameAnswer(entries[i], expected[i]);
    }
    // One session for each start is for two trainers writing at once to check.
    EXPECT_GT(entries.front().session, 0);
}

TEST(SqliteJournal, ForgetEmptiesTheJournalOfWhatCameBefore) {
    TempDir dir;
    const std::string path = (dir.path() / "journal.sqlite").string();
    {
        SqliteJournal journal(path, {});
        for (int i = 0; i < 5; ++i) journal.record(SampleEntry(i));
        journal.forget();
        journal.record(SampleEntry(7));
    }
    const auto entries = ReadAll(path);
    ASSERT_EQ(entries.size(), 1u);
    ExpectSameAnswer(entries[0], SampleEntry(7));
}

TEST(ReadJournal, NoFileIsNoAnswersAndOtherFilesAreErrors) {
    TempDir dir;
    EXPECT_TRUE(ReadAll((dir.path() / "none.sqlite").string()).empty());
    std::string error;
    EXPECT_FALSE(ReadJournal(
        dir.path().string(), [](const JournalEntry&) {}, error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    const auto text = dir.write("text.sqlite", std::string(2000, 'x'));
    error.clear();
    EXPECT_FALSE(ReadJournal(
        text.string(), [](const JournalEntry&) {}, error));
    EXPECT_FALSE(error.empty());
}

TEST(CsvField, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(CsvField("Correct"), "Correct");
    EXPECT_EQ(CsvField(""), "");
    // Commas and quotes: the answers' round trip through the table below.
    EXPECT_EQ(CsvField("a\nb"), "\"a\nb\"");
    EXPECT_EQ(CsvField("a\rb"), "\"a\rb\"");
}

// The RFC 4180 reading of a whole file: rows of fields.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool doubled = i + 1 < text.size() && text[i + 1] == c;
        if (c == '"' && quoted && doubled) {
            rows.back().back() += text[i++];
        } else if (c == '"') {
            quoted = !quoted;
        } else if (quoted || (c != ',' && c != '\r')) {
            rows.back().back() += c;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (text.compare(i++, 2, "\r\n") == 0) {
            rows.emplace_back(1);
        }
    }
    rows.pop_back();  // the empty one after the last line's end
    return rows;
}

TEST(ExportJournalCsv, OneRowPerAnswerThatReadsBackAsWritten) {
    TempDir dir;
    const std::string path = (dir.path() / "journal.sqlite").string();
    {
        SqliteJournal journal(path, {});
        for (int i = 0; i < 12; ++i) journal.record(SampleEntry(i));
        JournalEntry early = SampleEntry(12);
        early.utcMilliseconds = -1;
        early.utcOffsetMinutes = 0;
        journal.record(early);
    }
    const std::string csv = (dir.path() / "out.csv").string();
    dir.write("out.csv", "old contents");
    std::string error;
    ASSERT_TRUE(ExportJournalCsv(path, csv, error)) << error;
    const auto rows = ParseCsv(ReadText(csv));
    ASSERT_EQ(rows.size(), 14u);
    ASSERT_EQ(rows[0].size(), 18u);
    EXPECT_EQ(rows[0][0], "session");
    EXPECT_EQ(rows[0][16], "coach_chose");
    EXPECT_EQ(rows[0][17], "ear_cleared");
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const JournalEntry want = SampleEntry(i);
        const auto& row = rows[i + 1];
        ASSERT_EQ(row.size(), 18u);
        EXPECT_EQ(row[1], std::to_string(want.run));
        EXPECT_EQ(row[6], want.questionText);
        EXPECT_EQ(row[9], want.verdict);
        EXPECT_EQ(row[14], want.keySignature);
        EXPECT_EQ(row[15],
                  want.responseMilliseconds < 0 ? "" : std::to_string(want.responseMilliseconds));
        EXPECT_EQ(row[16], want.coachChose ? "1" : "0");
        EXPECT_EQ(row[17], want.earCleared ? "1" : "0");
    }
    // 1 796 000 000 000 ms is 2026-11-30 00:53:20 UTC; answer 0 is at UTC-5.
    EXPECT_EQ(rows[1][3], "2026-11-30T00:53:20.000Z");
    EXPECT_EQ(rows[1][4], "2026-11-29T19:53:20.000-05:00");
    EXPECT_EQ(rows[1][5], "60 64");
    EXPECT_EQ(rows[1][7], "0 -1 11");
    EXPECT_EQ(rows[13][3], "1969-12-31T23:59:59.999Z");
    EXPECT_EQ(rows[13][4], "1969-12-31T23:59:59.999+00:00");
    // Nothing left beside it.
    EXPECT_TRUE(
        std::ranges::none_of(std::filesystem::directory_iterator(dir.path()), [](const auto& file) {
            return file.path().filename().string().find("partial") != std::string::npos;
        }));
}

TEST(ExportJournalCsv, RefusesWhatIsNotAFileItCanReplace) {
    TempDir dir;
    const std::string path = (dir.path() / "journal.sqlite").string();
    { SqliteJournal(path, {}).record(SampleEntry(0)); }
    std::string error;
    EXPECT_FALSE(ExportJournalCsv((dir.path() / "missing").string(), "x.csv", error));
    EXPECT_NE(error.find("no practice journal"), std::string::npos) << error;

    const std::string fifo = (dir.path() / "pipe.csv").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& target : {fifo, dir.path().string(), std::string("/dev/full"),
                                      (dir.path() / "no" / "such" / "x.csv").string()}) {
        SCOPED_TRACE(target);
        error.clear();
        EXPECT_FALSE(ExportJournalCsv(path, target, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(ExportJournalCsv, NeverWritesOverTheJournalNorAFileItMayNotWrite) {
    TempDir dir;
    const fs::path path = dir.path() / "journal.sqlite";
    SqliteJournal journal(path.string(), {});
    journal.record(SampleEntry(0));
    ASSERT_TRUE(journal.drain(10s));
    fs::create_hard_link(path, dir.path() / "hard-link");
    fs::create_symlink(path, dir.path() / "symbolic-link");
    // The writer is still open: its companion files are there.
    for (const fs::path& target :
         {path, dir.path() / ".." / dir.path().filename() / "." / "journal.sqlite",
          dir.path() / "hard-link", dir.path() / "symbolic-link", fs::path(path.string() + "-wal"),
          fs::path(path.string() + "-shm"), fs::path(path.string() + "-journal")}) {
        SCOPED_TRACE(target);
        std::string error;
        EXPECT_FALSE(ExportJournalCsv(path.string(), target.string(), error));
        EXPECT_THAT(error, HasSubstr("is the practice journal itself"));
    }
    journal.record(SampleEntry(1));
    ASSERT_TRUE(journal.drain(10s));
    ExpectSamples(path.string(), 2);

    // A read-only file, and another user's, are left as they are; a file
    // replaced keeps its permissions.
    const fs::path readOnly = dir.write("read-only.csv", "kept");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    const fs::path others = dir.write("others.csv", "kept");
    const bool othersChanged = ::chown(others.c_str(), 65534, 65534) == 0;
    for (const fs::path& target : {readOnly, others}) {
        if (target == others && !othersChanged) continue;
        std::string error;
        EXPECT_FALSE(ExportJournalCsv(path.string(), target.string(), error)) << target;
        EXPECT_THAT(error, HasSubstr("write-protected"));
        EXPECT_EQ(ReadText(target), "kept");
    }
    const fs::path own = dir.write("own.csv", "old");
    fs::permissions(own, fs::perms::owner_read | fs::perms::owner_write);
    std::string error;
    ASSERT_TRUE(ExportJournalCsv(path.string(), own.string(), error)) << error;
    EXPECT_EQ(fs::status(own).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

// A journal as the first version wrote it, laid out and filled by hand: it
// must read as it always did, take new answers, gain the columns of new
// files, and export as it always did with the coach's part at the end.
TEST(JournalLayout, AFileOfTheFirstVersionReadsExtendsAndExportsAsBefore) {
    constexpr const char* kFirstVersion = R"(
CREATE TABLE sessions (
    id INTEGER PRIMARY KEY,
    started_utc_ms INTEGER NOT NULL,
    utc_offset_minutes INTEGER NOT NULL
);
CREATE TABLE answers (
    id INTEGER PRIMARY KEY,
    session INTEGER NOT NULL,
    utc_ms INTEGER NOT NULL,
    utc_offset_minutes INTEGER NOT NULL,
    run INTEGER NOT NULL,
    question INTEGER NOT NULL,
    notes BLOB NOT NULL,
    question_text TEXT NOT NULL,
    answered BLOB NOT NULL,
    correct INTEGER NOT NULL,
    shepard INTEGER NOT NULL,
    program INTEGER NOT NULL,
    note_value TEXT NOT NULL,
    tempo INTEGER NOT NULL,
    key_signature TEXT NOT NULL,
    response_ms INTEGER
);
PRAGMA application_id = 1447841098;
PRAGMA user_version = 1;
INSERT INTO sessions VALUES (1, 1795990000000, -300);
INSERT INTO answers VALUES (1, 1, 1796000000000, -300, 2, 3, X'3C40', 'C4-E4, "x"', X'00FF0B',
    0, 1, 19, '16th', 90, 'Ré majeur, Si mineur', NULL);
)";
    // Each column's name, type, NOT NULL, default and key, a line each.
    auto answersLayout = [](const std::string& path) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT name, type, \"notnull\", dflt_value, pk FROM "
                           "pragma_table_info('answers')",
                           -1, &q, nullptr);
        std::string columns;
        while (sqlite3_step(q) == SQLITE_ROW) {
            for (int i = 0; i < 5; ++i) {
                const auto* text = sqlite3_column_text(q, i);
                columns += text ? reinterpret_cast<const char*>(text) : "NULL";
                columns += i < 4 ? ' ' : '\n';
            }
        }
        sqlite3_finalize(q);
        sqlite3_close_v2(db);
        return columns;
    };
    TempDir dir;
    const std::string old = (dir.path() / "old.sqlite").string();
    {
        sqlite3* db = nullptr;
        sqlite3_open(old.c_str(), &db);
        ASSERT_EQ(sqlite3_exec(db, kFirstVersion, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close_v2(db);
    }
    { SqliteJournal(old, {}).record(SampleEntry(1)); }
    JournalEntry first;
    first.utcMilliseconds = 1'796'000'000'000;
    first.utcOffsetMinutes = -300;
    first.run = 2;
    first.question = 3;
    first.notes = {60, 64};
    first.questionText = "C4-E4, \"x\"";
    first.answered = {0, -1, 11};
    first.verdict = "Incorrect";
    first.shepard = true;
    first.program = 19;
    first.noteValue = "16th";
    first.tempo = 90;
    first.keySignature = "Ré majeur, Si mineur";
    const auto entries = ReadAll(old);
    ASSERT_EQ(entries.size(), 2u);
    ExpectSameAnswer(entries[0], first);
    ExpectSameAnswer(entries[1], SampleEntry(1));

    const std::string fresh = (dir.path() / "fresh.sqlite").string();
    { SqliteJournal(fresh, {}).record(SampleEntry(0)); }
    EXPECT_EQ(answersLayout(fresh), answersLayout(old));

    const std::string csv = (dir.path() / "old.csv").string();
    std::string error;
    ASSERT_TRUE(ExportJournalCsv(old, csv, error)) << error;
    const std::string expected =
        "session,run,question,time_utc,local_time,notes,question_text,answered,correct,"
        "verdict,shepard,program,note_value,tempo,key_signature,response_ms,coach_chose,"
        "ear_cleared\r\n"
        "1,2,3,2026-11-30T00:53:20.000Z,2026-11-29T19:53:20.000-05:00,60 64,"
        "\"C4-E4, \"\"x\"\"\",0 -1 11,0,Incorrect,1,19,16th,90,\"Ré majeur, Si mineur\",,0,0\r\n";
    EXPECT_EQ(ReadText(csv).substr(0, expected.size()), expected);
}

}  // namespace
}  // namespace velmora::testing
