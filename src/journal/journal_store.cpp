// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "journal/journal_store.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "journal/journal_columns.h"

namespace velmora {

namespace {

constexpr const char* kCreateSessions = R"(
CREATE TABLE IF NOT EXISTS sessions (
    id INTEGER PRIMARY KEY,
    started_utc_ms INTEGER NOT NULL,
    utc_offset_minutes INTEGER NOT NULL
);
)";

// Every SQLite database starts with these 16 bytes; a file that does not is
// no journal at all, however damaged.
bool StartsLikeADatabase(const char* path) {
    static constexpr char kHeader[] = "SQLite format 3";  // and its terminating zero
    char start[sizeof kHeader] = {};
    std::ifstream file(path, std::ios::binary);
    return file.read(start, sizeof start) && std::memcmp(start, kHeader, sizeof kHeader) == 0;
}

// SQLite's reason for a file it could not create is that of its last try, a
// read-only open of a file that is not there: the folder's own reason says
// more (a read-only file system, no permission). Empty when there is none.
std::string WhyUnwritable(const std::string& path) {
    const std::filesystem::path file(path);
    const std::string target = ::access(path.c_str(), F_OK) == 0 || !file.has_parent_path()
                                   ? path
                                   : file.parent_path().string();
    if (::access(target.c_str(), W_OK) == 0) return {};
    return target + ": " + std::strerror(errno);
}

}  // namespace

JournalFault FaultOfSqliteCode(int code) {
    switch (code & 0xff) {
        case SQLITE_OK:
        case SQLITE_ROW:
        case SQLITE_DONE:
            return JournalFault::None;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return JournalFault::Locked;
        case SQLITE_FULL:
            return JournalFault::Full;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return JournalFault::Damaged;
        case SQLITE_READONLY:
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return JournalFault::Unwritable;
        default:
            return JournalFault::Other;
    }
}

JournalStore::~JournalStore() {
    close();
}

void JournalStore::close() {
    sqlite3_finalize(insert_);
    sqlite3_finalize(replace_);
    insert_ = replace_ = nullptr;
    if (db_ && file_ && whereabouts() != Whereabouts::AtItsPath) {
        letGo();
    } else if (db_) {
        sqlite3_close_v2(db_);
    }
    db_ = nullptr;
    file_ = wal_ = index_ = std::nullopt;
}

std::optional<JournalStore::FileId> JournalStore::IdOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileId{info.st_dev, info.st_ino};
}

JournalStore::Whereabouts JournalStore::whereabouts() const {
    if (!file_) return Whereabouts::AtItsPath;
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0) {
        // Another reason (no permission to look) tells nothing.
        return errno == ENOENT || errno == ENOTDIR ? Whereabouts::Gone : Whereabouts::AtItsPath;
    }
    return FileId{info.st_dev, info.st_ino} == *file_ ? Whereabouts::AtItsPath
                                                      : Whereabouts::Replaced;
}

// SQLite names the WAL and its index by the path, so those now at the path
// may be another journal's, and a plain close would checkpoint into the
// file and delete them by name. What our WAL holds goes into the file we
// have open, wherever it is now (moved by the user, or deleted with it);
// our WAL and index are then removed, or the next file at the path would
// read them as its own.
void JournalStore::letGo() {
    int frames = -1;
    int copied = -1;
    const int code =
        sqlite3_wal_checkpoint_v2(db_, "main", SQLITE_CHECKPOINT_TRUNCATE, &frames, &copied);
    const bool emptied = code == SQLITE_OK && frames == copied;
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_close_v2(db_);
    db_ = nullptr;
    const std::pair<const char*, std::optional<FileId>> companions[] = {{"-wal", wal_},
                                                                        {"-shm", index_}};
    for (const auto& [suffix, id] : companions) {
        const std::string companion = path_ + suffix;
        if (!id || IdOf(companion) != id) continue;
        std::error_code ignored;
        if (emptied) {
            std::filesystem::remove(companion, ignored);
        } else {
            // Answers the old file never got: kept, out of the new file's way.
            std::filesystem::rename(companion, companion + ".left-" + std::to_string(id->inode),
                                    ignored);
        }
    }
}

JournalError JournalStore::errorOf(int code) const {
    JournalFault fault = FaultOfSqliteCode(code);
    if (fault == JournalFault::None) return {};
    // A write that found no room is a full disk, whatever layer noticed it.
    const int systemError = db_ ? sqlite3_system_errno(db_) : 0;
    if (systemError == ENOSPC) fault = JournalFault::Full;
    std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    // "unable to open database file" says little: the system's reason does.
    if (systemError != 0 && fault == JournalFault::Unwritable) {
        message += ": " + std::string(std::strerror(systemError));
    }
    return {fault, message};
}

JournalError JournalStore::execute(const char* sql) {
    if (!db_) return {JournalFault::Other, "not open"};
    return errorOf(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr));
}

JournalError JournalStore::open(const std::string& path) {
    close();
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) return {JournalFault::Unwritable, error.message()};
    }
    // A pipe or a device would block the first read or swallow the answers.
    std::error_code statusError;
    const auto status = std::filesystem::status(path, statusError);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        return {JournalFault::Unwritable, "not a regular file"};
    }
    JournalError error =
        connect(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
    if (!error) error = prepareLayout();
    if (error.fault == JournalFault::Unwritable) {
        if (std::string reason = WhyUnwritable(path); !reason.empty()) error.message = reason;
    }
    if (error) {
        close();
        return error;
    }
    path_ = path;
    file_ = IdOf(path);
    wal_ = IdOf(path + "-wal");
    index_ = IdOf(path + "-shm");
    return {};
}

JournalError JournalStore::openToRead(const std::string& path) {
    close();
    return connect(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
}

JournalError JournalStore::connect(const std::string& path, int flags) {
    const int code = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (code != SQLITE_OK) {
        JournalError error = errorOf(code);
        close();
        return error;
    }
    sqlite3_extended_result_codes(db_, 1);
    // Another instance writes at most one answer at a time: wait that long.
    sqlite3_busy_timeout(db_, 1000);
    return {};
}

// Reads the file's marks before touching it: another program's database is
// never written to, a newer journal never altered.
JournalError JournalStore::prepareLayout() {
    auto number = [this](const char* sql, std::int64_t& value) {
        sqlite3_stmt* query = nullptr;
        int code = sqlite3_prepare_v2(db_, sql, -1, &query, nullptr);
        if (code == SQLITE_OK) {
            code = sqlite3_step(query);
            value = code == SQLITE_ROW ? sqlite3_column_int64(query, 0) : 0;
        }
        sqlite3_finalize(query);
        return errorOf(code);
    };
    std::int64_t applicationId = 0;
    std::int64_t version = 0;
    std::int64_t objects = 0;
    // In one statement, so in one snapshot: another instance laying the file
    // out meanwhile must not make it look like another program's.
    if (auto e = readMarks(applicationId, version, objects)) return e;

    const bool ours = applicationId == kJournalApplicationId;
    if (!ours && objects > 0) {
        return {JournalFault::Foreign, "it belongs to another program"};
    }
    if (ours && version > kJournalSchemaVersion) {
        return {JournalFault::Newer, "version " + std::to_string(version)};
    }
    if (auto e = execute("PRAGMA journal_mode=WAL")) return e;
    // In WAL mode a commit is on disk once the process has written it; only
    // a power cut could take back the last ones.
    if (auto e = execute("PRAGMA synchronous=NORMAL")) return e;

    if (!ours || version < kJournalSchemaVersion) {
        if (auto e = execute("BEGIN IMMEDIATE")) return e;
        // Another instance may have laid it out meanwhile: look again.
        JournalError error = number("PRAGMA user_version", version);
        if (!error && version > kJournalSchemaVersion) {
            error = {JournalFault::Newer, "version " + std::to_string(version)};
        }
        if (!error && !ours && version == 0) {
            error = execute((kCreateSessions + AnswersTableSql()).c_str());
            version = kJournalSchemaVersion;
        }
        // One layout at a time, all in this transaction: a failure leaves
        // the file as it was.
        for (int next = static_cast<int>(version) + 1; !error && next <= kJournalSchemaVersion;
             ++next) {
            error = execute(AddedColumnsSql(next).c_str());
        }
        if (!error) {
            error = execute(("PRAGMA application_id=" + std::to_string(kJournalApplicationId) +
                             "; PRAGMA user_version=" + std::to_string(kJournalSchemaVersion))
                                .c_str());
        }
        if (error) {
            execute("ROLLBACK");
            return error;
        }
        if (auto e = execute("COMMIT")) return e;
    }
    // A file that bears our mark but lacks our tables is not one we can use.
    JournalError error;
    if (!statement(insert_, InsertAnswerSql().c_str(), error)) {
        return {JournalFault::Damaged, error.message};
    }
    return {};
}

sqlite3_stmt* JournalStore::statement(sqlite3_stmt*& slot, const char* sql, JournalError& error) {
    if (slot) return slot;
    const int code = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &slot, nullptr);
    if (code != SQLITE_OK) {
        error = errorOf(code);
        slot = nullptr;
    }
    return slot;
}

JournalError JournalStore::bind(sqlite3_stmt* s, const JournalEntry& entry, std::int64_t session) {
    // The session is the journal's to give, whatever the entry says.
    JournalEntry kept = entry;
    kept.session = session;
    BindAnswer(s, kept);
    return {};
}

JournalError JournalStore::beginSession(std::int64_t startedUtcMs, int offsetMinutes,
                                        std::int64_t& session) {
    sqlite3_stmt* s = nullptr;
    int code = sqlite3_prepare_v2(
        db_, "INSERT INTO sessions (started_utc_ms, utc_offset_minutes) VALUES (?1, ?2)", -1, &s,
        nullptr);
    if (code == SQLITE_OK) {
        sqlite3_bind_int64(s, 1, startedUtcMs);
        sqlite3_bind_int(s, 2, offsetMinutes);
        code = sqlite3_step(s);
    }
    sqlite3_finalize(s);
    if (code != SQLITE_DONE) return errorOf(code);
    session = sqlite3_last_insert_rowid(db_);
    return {};
}

JournalError JournalStore::insert(const JournalEntry& entry, std::int64_t session,
                                  std::int64_t& id) {
    JournalError error;
    sqlite3_stmt* s = statement(insert_, InsertAnswerSql().c_str(), error);
    if (!s) return error;
    bind(s, entry, session);
    const int code = sqlite3_step(s);
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    if (code != SQLITE_DONE) return errorOf(code);
    id = sqlite3_last_insert_rowid(db_);
    return {};
}

JournalError JournalStore::replace(std::int64_t id, const JournalEntry& entry, std::int64_t session,
                                   bool& found) {
    JournalError error;
    sqlite3_stmt* s = statement(replace_, ReplaceAnswerSql().c_str(), error);
    if (!s) return error;
    bind(s, entry, session);
    sqlite3_bind_int64(s, sqlite3_bind_parameter_count(s), id);
    const int code = sqlite3_step(s);
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    if (code != SQLITE_DONE) return errorOf(code);
    found = sqlite3_changes(db_) > 0;
    return {};
}

JournalError JournalStore::forget(std::int64_t keepSession) {
    const std::string sql =
        "BEGIN IMMEDIATE; DELETE FROM answers; DELETE FROM sessions WHERE id <> " +
        std::to_string(keepSession) + "; COMMIT";
    JournalError error = execute(sql.c_str());
    if (error) execute("ROLLBACK");
    return error;
}

JournalError JournalStore::addKept(const std::vector<KeptSession>& kept, std::size_t& added) {
    added = 0;
    if (auto e = execute("BEGIN IMMEDIATE")) return e;
    JournalError error;
    for (const KeptSession& block : kept) {
        std::int64_t session = 0;
        error = findSession(block.startedUtcMs, block.offsetMinutes, session);
        if (!error && session == 0) {
            error = beginSession(block.startedUtcMs, block.offsetMinutes, session);
        }
        for (const KeptOperation& operation : block.operations) {
            if (error) break;
            error = addKeptOne(operation, session, added);
        }
        if (error) break;
    }
    if (!error) error = execute("COMMIT");
    if (error) {
        execute("ROLLBACK");
        added = 0;
    }
    return error;
}

JournalError JournalStore::addKeptOne(const KeptOperation& operation, std::int64_t session,
                                      std::size_t& added) {
    std::int64_t id = 0;
    JournalError error;
    switch (operation.kind) {
        case KeptOperation::Kind::Record:
            error = findAnswer(session, operation.entry, id);
            if (!error && id == 0) {
                error = insert(operation.entry, session, id);
                added += !error;
            }
            return error;
        case KeptOperation::Kind::Replace: {
            // Replaced already when this is the second time.
            error = findAnswer(session, operation.replaced, id);
            if (!error && id == 0) error = findAnswer(session, operation.entry, id);
            bool found = false;
            if (!error && id != 0) error = replace(id, operation.entry, session, found);
            if (!error && !found) error = insert(operation.entry, session, id);
            added += !error;
            return error;
        }
        case KeptOperation::Kind::Forget:
            return execute(
                ("DELETE FROM answers; DELETE FROM sessions WHERE id <> " + std::to_string(session))
                    .c_str());
    }
    return error;
}

JournalError JournalStore::findSession(std::int64_t startedUtcMs, int offsetMinutes,
                                       std::int64_t& session) {
    sqlite3_stmt* q = nullptr;
    int code = sqlite3_prepare_v2(db_,
                                  "SELECT id FROM sessions WHERE started_utc_ms = ?1 AND "
                                  "utc_offset_minutes = ?2 ORDER BY id LIMIT 1",
                                  -1, &q, nullptr);
    if (code == SQLITE_OK) {
        sqlite3_bind_int64(q, 1, startedUtcMs);
        sqlite3_bind_int(q, 2, offsetMinutes);
        code = sqlite3_step(q);
    }
    session = code == SQLITE_ROW ? sqlite3_column_int64(q, 0) : 0;
    sqlite3_finalize(q);
    return errorOf(code);
}

JournalError JournalStore::findAnswer(std::int64_t session, const JournalEntry& entry,
                                      std::int64_t& id) {
    sqlite3_stmt* q = nullptr;
    int code = sqlite3_prepare_v2(db_,
                                  "SELECT id FROM answers WHERE session = ?1 AND utc_ms = ?2 AND "
                                  "run = ?3 AND question = ?4 ORDER BY id DESC LIMIT 1",
                                  -1, &q, nullptr);
    if (code == SQLITE_OK) {
        sqlite3_bind_int64(q, 1, session);
        sqlite3_bind_int64(q, 2, entry.utcMilliseconds);
        sqlite3_bind_int(q, 3, entry.run);
        sqlite3_bind_int(q, 4, entry.question);
        code = sqlite3_step(q);
    }
    id = code == SQLITE_ROW ? sqlite3_column_int64(q, 0) : 0;
    sqlite3_finalize(q);
    return errorOf(code);
}

JournalError JournalStore::readMarks(std::int64_t& applicationId, std::int64_t& version,
                                     std::int64_t& objects) {
    sqlite3_stmt* q = nullptr;
    int code = sqlite3_prepare_v2(db_,
                                  "SELECT (SELECT application_id FROM pragma_application_id), "
                                  "(SELECT user_version FROM pragma_user_version), "
                                  "(SELECT count(*) FROM sqlite_master)",
                                  -1, &q, nullptr);
    if (code == SQLITE_OK && (code = sqlite3_step(q)) == SQLITE_ROW) {
        applicationId = sqlite3_column_int64(q, 0);
        version = sqlite3_column_int64(q, 1);
        objects = sqlite3_column_int64(q, 2);
    }
    sqlite3_finalize(q);
    if (code == SQLITE_ROW) return {};
    JournalError error = errorOf(code);
    if (error.fault == JournalFault::Damaged &&
        !StartsLikeADatabase(sqlite3_db_filename(db_, "main"))) {
        return {JournalFault::Foreign, "it is not a database"};
    }
    return error;
}

JournalError JournalStore::readAll(const std::function<void(const JournalEntry&)>& each) {
    std::int64_t applicationId = 0;
    std::int64_t version = 0;
    std::int64_t objects = 0;
    {
        if (auto e = readMarks(applicationId, version, objects)) {
            if (e.fault == JournalFault::Foreign)
                e.message = "not a practice journal (" + e.message + ")";
            return e;
        }
        if (applicationId != kJournalApplicationId) {
            if (objects == 0) return {};  // created, not yet laid out: no answers
            return {JournalFault::Foreign, "not a practice journal"};
        }
        if (version > kJournalSchemaVersion) {
            return {JournalFault::Newer, "written by a newer version of the program"};
        }
    }
    sqlite3_stmt* q = nullptr;
    // An older layout is read as it is: reading never alters the file.
    const int layout = static_cast<int>(std::max<std::int64_t>(version, 1));
    int code = sqlite3_prepare_v2(db_, SelectAnswersSql(layout).c_str(), -1, &q, nullptr);
    JournalEntry entry;
    while (code == SQLITE_OK || code == SQLITE_ROW) {
        code = sqlite3_step(q);
        if (code != SQLITE_ROW) break;
        ReadAnswer(q, entry);
        each(entry);
    }
    sqlite3_finalize(q);
    return code == SQLITE_DONE ? JournalError{} : errorOf(code);
}

}  // namespace velmora
