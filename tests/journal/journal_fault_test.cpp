// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>

#include <gmock/gmock.h>

#include "journal/journal_support.h"
#include "journal/recovery_file.h"
#include "testing/helpers.h"
#include "testing/temp_dir.h"

namespace velmora::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::AllOf;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

// A journal under test, with every status it reported.
class JournalFaultTest : public ::testing::Test {
protected:
    std::string path() const { return (dir.path() / "journal.sqlite").string(); }
    // The first problem reported (bounded wait).
    std::string problemReported() {
        std::string last;
        WaitFor(
            [&] {
                const auto all = statuses.all();
                if (!all.empty()) last = all.back();
                return !last.empty();
            },
            15s);
        return last;
    }
    std::vector<fs::path> besides(const std::string& kind) {
        std::vector<fs::path> found;
        for (const auto& file : fs::directory_iterator(dir.path())) {
            const std::string name = file.path().filename().string();
            if (name.rfind("journal.sqlite." + kind + "-", 0) == 0 &&
                name.find("-wal") == std::string::npos && name.find("-shm") == std::string::npos) {
                found.push_back(file.path());
            }
        }
        return found;
    }

    TempDir dir;
    StatusLog statuses;
};

// A direct connection, as another program would hold one.
struct Connection {
    explicit Connection(const std::string& path) { sqlite3_open(path.c_str(), &db); }
    ~Connection() { sqlite3_close_v2(db); }
    int exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    long long number(const char* sql) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
        const long long value = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
        sqlite3_finalize(s);
        return value;
    }
    sqlite3* db = nullptr;
};

TEST_F(JournalFaultTest, LockedByAnotherProgramTheAnswersWaitAndGoInLater) {
    { SqliteJournal(path(), {}).record(SampleEntry(0)); }
    Connection other(path());
    ASSERT_EQ(other.exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    {
        SqliteJournal journal(path(), statuses.listener());
        journal.record(SampleEntry(1));
        const std::string status = problemReported();
        EXPECT_THAT(status, HasSubstr("locked by another program"));
        journal.record(SampleEntry(2));
        EXPECT_FALSE(journal.drain(0ms));
        ASSERT_EQ(other.exec("COMMIT"), SQLITE_OK);
        journal.record(SampleEntry(3));  // also tries again at once
        EXPECT_TRUE(journal.drain(10s));
    }
    EXPECT_EQ(statuses.all().back(), "") << "all is well again";
    ExpectSamples(path(), 4);
}

// A file that is no journal is moved aside untouched, under a name and with
// words that say what it is, and a fresh journal started; the Progress window
// reads the fresh one, not the file moved aside.
TEST_F(JournalFaultTest, AFileThatIsNoJournalIsMovedAsideUntouchedAndAFreshOneStarted) {
    const struct {
        const char* kind;
        std::string contents;
        const char* said;
    } cases[] = {
        {"damaged", std::string("SQLite format 3\0", 16) + std::string(5000, '\x5a'), "damaged"},
        {"foreign", "Scales to practise:\nC major\nA minor\n", "not a practice journal"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        fs::remove_all(dir.path());
        fs::create_directories(dir.path());
        dir.write("journal.sqlite", c.contents);
        StatusLog log;
        {
            SqliteJournal journal(path(), log.listener());
            std::string error;
            std::size_t earlier = 0;
            EXPECT_TRUE(journal.readAll([&](const JournalEntry&) { ++earlier; }, error)) << error;
            EXPECT_EQ(earlier, 0u);
            journal.record(SampleEntry(0));
            ASSERT_TRUE(journal.drain(10s));
        }
        const auto aside = besides(c.kind);
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(ReadText(aside[0]), c.contents);
        ASSERT_FALSE(log.all().empty());
        EXPECT_THAT(log.all().back(),
                    AllOf(HasSubstr("moved to " + aside[0].string()), HasSubstr(c.said)));
        ExpectSamples(path(), 1);
    }
}

TEST_F(JournalFaultTest, AnotherProgramsDatabaseIsMovedAsideWithItsData) {
    {
        Connection other(path());
        ASSERT_EQ(
            other.exec("CREATE TABLE contacts (name TEXT); INSERT INTO contacts VALUES ('a')"),
            SQLITE_OK);
    }
    {
        SqliteJournal journal(path(), statuses.listener());
        journal.record(SampleEntry(0));
        ASSERT_TRUE(journal.drain(10s));
    }
    const auto aside = besides("foreign");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(Connection(aside[0].string()).number("SELECT count(*) FROM contacts"), 1);
    EXPECT_THAT(statuses.all().back(), HasSubstr("belongs to another program"));
    ExpectSamples(path(), 1);
    std::string error;
    EXPECT_FALSE(ReadJournal(
        aside[0].string(), [](const JournalEntry&) {}, error));
}

TEST_F(JournalFaultTest, ANewerJournalIsLeftAsItIsAndTheAnswersKept) {
    { SqliteJournal(path(), {}).record(SampleEntry(0)); }
    const int newer = kJournalSchemaVersion + 1;
    ASSERT_EQ(Connection(path()).exec(("PRAGMA user_version = " + std::to_string(newer)).c_str()),
              SQLITE_OK);
    {
        SqliteJournal journal(path(), statuses.listener());
        journal.record(SampleEntry(1));
        const std::string status = problemReported();
        EXPECT_THAT(status, AllOf(HasSubstr("newer version"), HasSubstr("left as it is")));
        EXPECT_EQ(journal.pending(), 1u) << "kept in memory";
    }
    EXPECT_TRUE(besides("damaged").empty());
    EXPECT_TRUE(besides("foreign").empty());
    Connection file(path());
    EXPECT_EQ(file.number("PRAGMA user_version"), newer);
    EXPECT_EQ(file.number("SELECT count(*) FROM answers"), 1);
    EXPECT_THAT(statuses.all().back(), HasSubstr("kept in " + path() + ".recovery"))
        << "for a version that can write it";
}

TEST_F(JournalFaultTest, APipeOrADeviceIsNeverOpened) {
    const std::string fifo = (dir.path() / "pipe.sqlite").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Where the answers are kept when none of these can be written.
    ScopedEnvironment state("XDG_STATE_HOME", (dir.path() / "state").string());
    for (const std::string& file : {fifo, std::string("/dev/full"), dir.path().string()}) {
        StatusLog log;
        SqliteJournal journal(file, log.listener());
        journal.record(SampleEntry(0));
        EXPECT_FALSE(journal.drain(100ms));
        WaitFor([&] { return !log.all().empty(); }, 10s);
        ASSERT_FALSE(log.all().empty()) << file;
        EXPECT_THAT(log.all().front(), HasSubstr("cannot write"));
        // The pipe closes within its bounded wait; the others as the program
        // closes, which keeps what is left without waiting.
        if (file != fifo) {
            EXPECT_THAT(journal.keepWhatIsLeft(), HasSubstr("kept in"));
        }
    }
}

// The journal deleted, its folder deleted, or a backup put in its place while
// the trainer runs: every later answer goes into the file now at the path,
// and a backup keeps its own answers, also at the next start.
TEST_F(JournalFaultTest, AJournalDeletedOrReplacedWhileInUseTakesEveryLaterAnswer) {
    const fs::path folder = dir.path() / "journal";
    const std::string file = (folder / "journal.sqlite").string();
    const std::string backup = (dir.path() / "backup.sqlite").string();
    const struct {
        const char* name;
        std::function<void()> change;
        std::vector<int> expected;
        const char* said;
    } cases[] = {
        {"the journal deleted", [&] { fs::remove(file); }, {3, 4, 5, 6}, "deleted"},
        {"its folder deleted", [&] { fs::remove_all(folder); }, {3, 4, 5, 6}, "deleted"},
        {"a backup put in its place",
         [&] {
             {
                 SqliteJournal earlier(backup, {});
                 for (int i = 10; i < 13; ++i) earlier.record(SampleEntry(i));
             }
             fs::rename(backup, file);
         },
         {10, 11, 12, 3, 4, 5, 6},
         "put in the journal's place"},
        // Copied while in use, its last answers are in its WAL, which comes
        // along in place of ours.
        {"a backup with its WAL put in its place",
         [&] {
             const std::string copy = (dir.path() / "copy.sqlite").string();
             {
                 SqliteJournal earlier(backup, {});
                 for (int i = 10; i < 13; ++i) earlier.record(SampleEntry(i));
                 ASSERT_TRUE(earlier.drain(10s));
                 fs::copy_file(backup, copy);
                 fs::copy_file(backup + "-wal", copy + "-wal");
             }
             fs::rename(copy, file);
             fs::rename(copy + "-wal", file + "-wal");
         },
         {10, 11, 12, 3, 4, 5, 6},
         "put in the journal's place"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder);
        fs::remove(backup);
        StatusLog log;
        {
            SqliteJournal journal(file, log.listener());
            for (int i = 0; i < 3; ++i) journal.record(SampleEntry(i));
            ASSERT_TRUE(journal.drain(10s));
            c.change();
            for (int i = 3; i < 6; ++i) journal.record(SampleEntry(i));
            ASSERT_TRUE(journal.drain(10s));
        }
        ASSERT_FALSE(log.all().empty());
        EXPECT_THAT(log.all().back(), AllOf(HasSubstr(c.said), HasSubstr(file)));
        { SqliteJournal(file, {}).record(SampleEntry(6)); }  // the next start
        const auto entries = ReadAll(file);
        ASSERT_EQ(entries.size(), c.expected.size());
        for (std::size_t k = 0; k < entries.size(); ++k) {
            ExpectSameAnswer(entries[k], SampleEntry(c.expected[k]));
        }
    }
}

// A small file system of our own, mounted over a folder (needs the right to
// mount: root in a container will do).
class SmallFileSystem {
public:
    SmallFileSystem(const fs::path& at, const char* options) : at_(at) {
        fs::create_directories(at);
        mounted_ = mount("velmora-test", at.c_str(), "tmpfs", 0, options) == 0;
    }
    ~SmallFileSystem() {
        if (mounted_) umount2(at_.c_str(), MNT_DETACH);
    }
    // When not, errno says why.
    bool mounted() const { return mounted_; }
    bool remount(unsigned long flags, const char* options) {
        return mount("velmora-test", at_.c_str(), "tmpfs", MS_REMOUNT | flags, options) == 0;
    }

private:
    fs::path at_;
    bool mounted_ = false;
};

TEST_F(JournalFaultTest, AFullDiskKeepsTheAnswersUntilThereIsRoom) {
    const fs::path folder = dir.path() / "small";
    SmallFileSystem small(folder, "size=256k");
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a small file system: " << std::strerror(errno);
    const std::string file = (folder / "journal.sqlite").string();
    SqliteJournal journal(file, statuses.listener());
    journal.record(SampleEntry(0));
    ASSERT_TRUE(journal.drain(10s));
    // Fill what is left.
    {
        std::ofstream filler(folder / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size())) {
        }
    }
    for (int i = 1; i < 40; ++i) journal.record(SampleEntry(i));
    const std::string status = problemReported();
    EXPECT_THAT(status, HasSubstr("no room left"));
    std::string error;
    EXPECT_FALSE(ExportJournalCsv(file, (folder / "export.csv").string(), error));
    EXPECT_THAT(error, HasSubstr(std::strerror(ENOSPC)));
    fs::remove(folder / "filler");
    journal.record(SampleEntry(40));
    ASSERT_TRUE(journal.drain(15s));
    EXPECT_EQ(statuses.all().back(), "");
    ExpectSamples(file, 41);
}

// Closing while the journal cannot be written keeps what is left in a
// recovery file, beside the journal or else in the state folder; the next
// start adds each answer once, even when it ends before removing the file.
TEST_F(JournalFaultTest, AnswersLeftAtClosingAreKeptAndAddedAtTheNextStart) {
    const fs::path folder = dir.path() / "small";
    SmallFileSystem small(folder, "size=256k");
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a small file system: " << std::strerror(errno);
    ScopedEnvironment state("XDG_STATE_HOME", (dir.path() / "state").string());
    const std::string file = (folder / "journal.sqlite").string();
    std::optional<Connection> other;
    const struct {
        const char* name;
        std::function<void()> block;
        std::function<void()> unblock;
        std::string keptIn;
    } cases[] = {
        {"locked by another program",
         [&] {
             other.emplace(file);
             ASSERT_EQ(other->exec("BEGIN EXCLUSIVE"), SQLITE_OK);
         },
         [&] { other.reset(); }, RecoveryFileBeside(file)},
        {"no room left on the disk",
         [&] {
             std::ofstream filler(folder / "filler", std::ios::binary);
             const std::string block(4096, 'f');
             while (filler.write(block.data(), block.size())) {
             }
         },
         [&] { fs::remove(folder / "filler"); }, RecoveryFileInStateFolder(file)},
    };
    // The answer replaced, those kept, and the next start's own.
    const std::vector<int> expected = {100, 1, 2, 103, 4};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
        {
            SqliteJournal journal(file, {});
            journal.record(SampleEntry(0));
            ASSERT_TRUE(journal.drain(10s));
            c.block();
            journal.replaceLast(SampleEntry(100));  // of an answer written
            for (int i = 1; i < 4; ++i) journal.record(SampleEntry(i));
            journal.replaceLast(SampleEntry(103));  // of one still waiting
            EXPECT_FALSE(journal.drain(300ms));
            EXPECT_THAT(journal.keepWhatIsLeft(),
                        HasSubstr("4 answers could not be written; kept in " + c.keptIn));
        }
        c.unblock();
        EXPECT_EQ(fs::exists(RecoveryFileBeside(file)), c.keptIn == RecoveryFileBeside(file));
        const std::string copy = (dir.path() / "copy").string();
        fs::copy_file(c.keptIn, copy, fs::copy_options::overwrite_existing);
        StatusLog next;
        { SqliteJournal(file, next.listener()).record(SampleEntry(4)); }
        ASSERT_FALSE(next.all().empty());
        EXPECT_THAT(next.all().front(),
                    HasSubstr("4 answers kept at an earlier closing added from " + c.keptIn));
        EXPECT_FALSE(fs::exists(c.keptIn));
        // A start that ended between adding the answers and removing the file.
        fs::copy_file(copy, c.keptIn);
        { SqliteJournal again(file, {}); }
        EXPECT_FALSE(fs::exists(c.keptIn));
        const auto entries = ReadAll(file);
        ASSERT_EQ(entries.size(), expected.size()) << "each answer once";
        for (std::size_t k = 0; k < expected.size(); ++k) {
            ExpectSameAnswer(entries[k], SampleEntry(expected[k]));
        }
    }
}

TEST_F(JournalFaultTest, AnswersAreSaidLostWithTheirCountOnlyWhenNothingCanKeepThem) {
    // Not even root can make a folder here.
    ScopedEnvironment state("XDG_STATE_HOME", "/proc/velmora-test");
    SqliteJournal journal("/proc/velmora-test/journal.sqlite", {});
    for (int i = 0; i < 2; ++i) journal.record(SampleEntry(i));
    EXPECT_THAT(journal.keepWhatIsLeft(),
                HasSubstr("2 answers could not be written, nor kept for later: lost"));
}

// Lines that cannot be read (a crash while writing, a hand's edit) do not
// stop the others; the file is kept aside, and said so.
TEST_F(JournalFaultTest, ARecoveryFileWithUnreadableLinesIsAddedAsFarAsItReadsAndKept) {
    KeptSession kept{1'796'000'000'000, 60, {}};
    for (int i = 0; i < 2; ++i) {
        kept.operations.emplace_back();
        kept.operations.back().entry = SampleEntry(i);
    }
    const std::string text = RecoveryText(kept, path()) + "answer\tnot a number\n" +
                             RecoveryText(kept, path()).substr(0, 150);
    dir.write("journal.sqlite.recovery", text);
    { SqliteJournal(path(), statuses.listener()); }
    ExpectSamples(path(), 2);
    const auto aside = besides("recovery.unreadable");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadText(aside[0]), text);
    ASSERT_FALSE(statuses.all().empty());
    EXPECT_THAT(statuses.all().back(),
                AllOf(HasSubstr("2 answers kept"), HasSubstr("2 lines of it could not be read"),
                      HasSubstr("moved to " + aside[0].string())));
}

TEST_F(JournalFaultTest, AReadOnlyFolderKeepsTheAnswersUntilItCanBeWritten) {
    const fs::path folder = dir.path() / "ro";
    std::optional<SmallFileSystem> small;
    if (geteuid() == 0) {
        // Root writes whatever the permissions say: only a read-only mount stops it.
        small.emplace(folder, "size=1m");
        if (!small->mounted() || !small->remount(MS_RDONLY, "size=1m")) {
            GTEST_SKIP() << "running as root without the right to mount a read-only folder";
        }
    } else {
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    }
    const std::string file = (folder / "journal.sqlite").string();
    {
        SqliteJournal journal(file, statuses.listener());
        journal.record(SampleEntry(0));
        const std::string status = problemReported();
        EXPECT_THAT(status, AllOf(HasSubstr("cannot write"), HasSubstr(file),
                                  HasSubstr(std::strerror(small ? EROFS : EACCES))));
        journal.record(SampleEntry(1));
        EXPECT_EQ(journal.pending(), 2u);
        if (small) {
            ASSERT_TRUE(small->remount(0, "size=1m"));
        } else {
            fs::permissions(folder, fs::perms::owner_all);
        }
        journal.record(SampleEntry(2));
        ASSERT_TRUE(journal.drain(15s));
    }
    ExpectSamples(file, 3);
}

}  // namespace
}  // namespace velmora::testing
