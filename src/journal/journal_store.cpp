#include "journal/journal_store.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace velmora {

namespace {

// A note or pitch class in one byte; 255 for one outside 0..254 (an
// unreadable answer is -1).
std::string PackBytes(const std::vector<int>& values) {
    std::string bytes;
    bytes.reserve(values.size());
    for (int value : values)
        bytes.push_back(static_cast<char>(value >= 0 && value < 255 ? value : 255));
    return bytes;
}

// Into what `values` already holds: reading a million answers reuses one
// entry's room.
void UnpackBytes(const void* data, int size, std::vector<int>& values) {
    values.clear();
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (int i = 0; i < size; ++i) values.push_back(bytes[i] == 255 ? -1 : bytes[i]);
}

void Text(sqlite3_stmt* statement, int column, std::string& text) {
    const auto* chars = sqlite3_column_text(statement, column);
    if (!chars) {
        text.clear();
        return;
    }
    text.assign(reinterpret_cast<const char*>(chars),
                static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

constexpr const char* kCreateLayout = R"(
CREATE TABLE IF NOT EXISTS sessions (
    id INTEGER PRIMARY KEY,
    started_utc_ms INTEGER NOT NULL,
    utc_offset_minutes INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS answers (
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
)";

// Each step brings the layout from version i + 1 to i + 2; none yet.
constexpr const char* kMigrations[] = {nullptr};
constexpr int kMigrationCount = 0;

constexpr const char* kInsert =
    "INSERT INTO answers (session, utc_ms, utc_offset_minutes, run, question, notes, "
    "question_text, answered, correct, shepard, program, note_value, tempo, key_signature, "
    "response_ms) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)";
constexpr const char* kReplace =
    "UPDATE answers SET session = ?1, utc_ms = ?2, utc_offset_minutes = ?3, run = ?4, "
    "question = ?5, notes = ?6, question_text = ?7, answered = ?8, correct = ?9, "
    "shepard = ?10, program = ?11, note_value = ?12, tempo = ?13, key_signature = ?14, "
    "response_ms = ?15 WHERE id = ?16";
constexpr const char* kSelect =
    "SELECT session, utc_ms, utc_offset_minutes, run, question, notes, question_text, answered, "
    "correct, shepard, program, note_value, tempo, key_signature, response_ms FROM answers "
    "ORDER BY id";

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
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
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
    if (error) close();
    return error;
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
        return {JournalFault::Foreign, "it holds another program's data"};
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
        if (!error && !ours && version == 0) {
            error = execute(kCreateLayout);
            version = kJournalSchemaVersion;
        }
        for (int step = static_cast<int>(version) - 1; !error && step < kMigrationCount; ++step) {
            error = execute(kMigrations[step]);
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
    if (!statement(insert_, kInsert, error)) return {JournalFault::Damaged, error.message};
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
    const std::string notes = PackBytes(entry.notes);
    const std::string answered = PackBytes(entry.answered);
    sqlite3_bind_int64(s, 1, session);
    sqlite3_bind_int64(s, 2, entry.utcMilliseconds);
    sqlite3_bind_int(s, 3, entry.utcOffsetMinutes);
    sqlite3_bind_int(s, 4, entry.run);
    sqlite3_bind_int(s, 5, entry.question);
    sqlite3_bind_blob(s, 6, notes.data(), static_cast<int>(notes.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 7, entry.questionText.data(), static_cast<int>(entry.questionText.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_blob(s, 8, answered.data(), static_cast<int>(answered.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(s, 9, entry.correct ? 1 : 0);
    sqlite3_bind_int(s, 10, entry.shepard ? 1 : 0);
    sqlite3_bind_int(s, 11, entry.program);
    sqlite3_bind_text(s, 12, entry.noteValue.data(), static_cast<int>(entry.noteValue.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_int(s, 13, entry.tempo);
    sqlite3_bind_text(s, 14, entry.keySignature.data(), static_cast<int>(entry.keySignature.size()),
                      SQLITE_TRANSIENT);
    if (entry.responseMilliseconds >= 0) {
        sqlite3_bind_int(s, 15, entry.responseMilliseconds);
    } else {
        sqlite3_bind_null(s, 15);
    }
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
    sqlite3_stmt* s = statement(insert_, kInsert, error);
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
    sqlite3_stmt* s = statement(replace_, kReplace, error);
    if (!s) return error;
    bind(s, entry, session);
    sqlite3_bind_int64(s, 16, id);
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
    return code == SQLITE_ROW ? JournalError{} : errorOf(code);
}

JournalError JournalStore::readAll(const std::function<void(const JournalEntry&)>& each) {
    std::int64_t applicationId = 0;
    std::int64_t version = 0;
    std::int64_t objects = 0;
    {
        if (auto e = readMarks(applicationId, version, objects)) return e;
        if (applicationId != kJournalApplicationId) {
            if (objects == 0) return {};  // created, not yet laid out: no answers
            return {JournalFault::Foreign, "not a practice journal"};
        }
        if (version > kJournalSchemaVersion) {
            return {JournalFault::Newer, "written by a newer version of the program"};
        }
    }
    sqlite3_stmt* q = nullptr;
    int code = sqlite3_prepare_v2(db_, kSelect, -1, &q, nullptr);
    JournalEntry entry;
    while (code == SQLITE_OK || code == SQLITE_ROW) {
        code = sqlite3_step(q);
        if (code != SQLITE_ROW) break;
        entry.session = sqlite3_column_int64(q, 0);
        entry.utcMilliseconds = sqlite3_column_int64(q, 1);
        entry.utcOffsetMinutes = sqlite3_column_int(q, 2);
        entry.run = sqlite3_column_int(q, 3);
        entry.question = sqlite3_column_int(q, 4);
        UnpackBytes(sqlite3_column_blob(q, 5), sqlite3_column_bytes(q, 5), entry.notes);
        Text(q, 6, entry.questionText);
        UnpackBytes(sqlite3_column_blob(q, 7), sqlite3_column_bytes(q, 7), entry.answered);
        entry.correct = sqlite3_column_int(q, 8) != 0;
        entry.verdict = entry.correct ? "Correct" : "Incorrect";
        entry.shepard = sqlite3_column_int(q, 9) != 0;
        entry.program = sqlite3_column_int(q, 10);
        Text(q, 11, entry.noteValue);
        entry.tempo = sqlite3_column_int(q, 12);
        Text(q, 13, entry.keySignature);
        entry.responseMilliseconds =
            sqlite3_column_type(q, 14) == SQLITE_NULL ? -1 : sqlite3_column_int(q, 14);
        each(entry);
    }
    sqlite3_finalize(q);
    return code == SQLITE_DONE ? JournalError{} : errorOf(code);
}

}  // namespace velmora
