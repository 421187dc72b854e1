// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "journal/recovery_file.h"
#include "ports/journal.h"

struct sqlite3;
struct sqlite3_stmt;

namespace velmora {

// The journal file's layout; PRAGMA user_version holds it. 2: each answer
// says whether the coach chose its question and whether the ear was cleared.
inline constexpr int kJournalSchemaVersion = 2;
// PRAGMA application_id: tells our journal from another program's database.
inline constexpr std::int32_t kJournalApplicationId = 0x564c4d4a;  // "VLMJ"

// What went wrong with the journal file, as far as what to do about it.
enum class JournalFault {
    None,
    Unwritable,  // cannot create or write: a read-only folder or file, a missing folder
    Locked,      // another program holds it
    Full,        // the disk (or the file's limit) is full
    Damaged,     // a damaged database: moved aside
    Foreign,     // not a database at all, or another program's: moved aside
    Newer,       // a later version of the journal: left alone
    Other,
};

struct JournalError {
    JournalFault fault = JournalFault::None;
    std::string message;  // SQLite's or the system's own words
    explicit operator bool() const { return fault != JournalFault::None; }
};

// One connection to a journal file, used on one thread: opens (creating or
// migrating the layout), writes answers and reads them back.
class JournalStore {
public:
    JournalStore() = default;
    ~JournalStore();
    JournalStore(const JournalStore&) = delete;
    JournalStore& operator=(const JournalStore&) = delete;

    // Opens `path` for writing, creating the file and its layout when missing
    // and bringing an older layout up to date.
    JournalError open(const std::string& path);
    // Opens `path` only to read; a file that is not (yet) a journal of ours
    // is an error.
    JournalError openToRead(const std::string& path);
    // Once the file opened for writing is no longer at its path, closing
    // lets go of it without touching what is at the path now.
    void close();
    bool isOpen() const { return db_ != nullptr; }

    // Where the file opened for writing is now, as its path shows.
    enum class Whereabouts { AtItsPath, Gone, Replaced };
    Whereabouts whereabouts() const;

    // Starts a session (one start of the program); its number.
    JournalError beginSession(std::int64_t startedUtcMs, int offsetMinutes, std::int64_t& session);
    // Adds an answer; `id` is its row.
    JournalError insert(const JournalEntry& entry, std::int64_t session, std::int64_t& id);
    // Overwrites the answer at `id`; `found` false when there is none.
    JournalError replace(std::int64_t id, const JournalEntry& entry, std::int64_t session,
                         bool& found);
    // Removes every answer and every session but `keepSession`.
    JournalError forget(std::int64_t keepSession);
    // Adds what earlier closings kept, in one transaction, each session under
    // its start time. An answer already there (the same session's, with the
    // same time, run and question) is not added again: adding the same blocks
    // twice changes nothing. `added`: the answers added or replaced.
    JournalError addKept(const std::vector<KeptSession>& kept, std::size_t& added);
    JournalError execute(const char* sql);

    // Every answer, oldest first.
    JournalError readAll(const std::function<void(const JournalEntry&)>& each);

    sqlite3* handle() { return db_; }

private:
    JournalError prepareLayout();
    JournalError addKeptOne(const KeptOperation& operation, std::int64_t session,
                            std::size_t& added);
    // The session started then, or the answer of `session` given then, in that
    // run, to that question; 0 when there is none.
    JournalError findSession(std::int64_t startedUtcMs, int offsetMinutes, std::int64_t& session);
    JournalError findAnswer(std::int64_t session, const JournalEntry& entry, std::int64_t& id);
    JournalError readMarks(std::int64_t& applicationId, std::int64_t& version,
                           std::int64_t& objects);
    JournalError bind(sqlite3_stmt* statement, const JournalEntry& entry, std::int64_t session);
    JournalError errorOf(int code) const;
    JournalError connect(const std::string& path, int flags);
    sqlite3_stmt* statement(sqlite3_stmt*& slot, const char* sql, JournalError& error);

    // A file as the system knows it, whatever its name.
    struct FileId {
        unsigned long long device = 0;
        unsigned long long inode = 0;
        bool operator==(const FileId&) const = default;
    };
    static std::optional<FileId> IdOf(const std::string& path);
    void letGo();

    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* replace_ = nullptr;
    // Opened for writing: the path, and the files it named then.
    std::string path_;
    std::optional<FileId> file_;
    std::optional<FileId> wal_;
    std::optional<FileId> index_;
};

// The fault behind an SQLite result code.
JournalFault FaultOfSqliteCode(int code);

}  // namespace velmora
