// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "journal/journal_store.h"
#include "journal/recovery_file.h"
#include "ports/journal.h"

namespace velmora {

// $XDG_DATA_HOME/velmora/journal.sqlite (default ~/.local/share/velmora/journal.sqlite).
std::string DefaultJournalPath();

// The practice journal in an SQLite file. A writer thread of its own does
// every disk access: record() and replaceLast() only queue. Each answer is
// committed as it is written; answers that cannot be written stay queued and
// are tried again every few seconds and with every new answer.
class SqliteJournal final : public Journal {
public:
    // Told (on the writer thread) the journal's state in one line: a problem
    // ("Practice journal: ... ") or "" once all is well again.
    using StatusListener = std::function<void(const std::string& status)>;

    SqliteJournal(std::string path, StatusListener listener);
    // Writes what is queued (bounded wait), keeps what is left as
    // keepWhatIsLeft() does and tells the listener so, then stops.
    ~SqliteJournal() override;
    SqliteJournal(const SqliteJournal&) = delete;
    SqliteJournal& operator=(const SqliteJournal&) = delete;

    void record(const JournalEntry& entry) override;
    void replaceLast(const JournalEntry& entry) override;
    void forget();  // empties the journal (the user has confirmed)
    const std::string& path() const { return path_; }

    // Waits up to `limit` until everything given so far is written. False if
    // something is still waiting (the file cannot be written now); at once
    // when it cannot be written at all (a journal of a newer version).
    bool drain(std::chrono::milliseconds limit);
    // Answers given but not yet written.
    std::size_t pending() const;
    // For closing, once drain() has waited: stops the writer and keeps what it
    // could not write in a recovery file beside the journal (or in the user's
    // state folder when the journal's folder cannot take it), which the next
    // start adds to the journal. What to tell the user in one line; empty when
    // nothing was left.
    std::string keepWhatIsLeft();
    // Every answer in the journal, as ReadJournal() reads it, once the writer
    // has first opened the file (bounded wait): a damaged file it moves aside
    // at the start is not read as the journal.
    bool readAll(const std::function<void(const JournalEntry&)>& each, std::string& error);

    // How long a failed write waits before it is tried again.
    static constexpr std::chrono::seconds kRetryInterval{3};
    // How long closing waits for what is still queued.
    static constexpr std::chrono::seconds kClosingWait{3};

private:
    enum class Kind { Record, Replace, Forget };
    struct Operation {
        Kind kind;
        JournalEntry entry;
    };

    void run();
    // Writer thread: each false when it could not be done now.
    bool ensureOpen();
    // Adds what earlier closings kept to the journal just opened, once.
    bool addKeptAnswers();
    KeptSession keptFromQueue() const;
    bool writeOne(const Operation& operation, bool again = false);
    // Moves a damaged or foreign file aside under a dated name.
    bool setAside(const JournalError& error);
    void report(const JournalError& error);
    void setStatus(const std::string& status, bool problem);

    const std::string path_;
    const StatusListener listener_;
    std::int64_t startedUtcMs_ = 0;
    int startedOffsetMinutes_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable drained_;
    std::deque<Operation> queue_;
    bool writing_ = false;  // the writer is writing the front operation
    bool nudged_ = false;   // something new came: try again now
    bool stopping_ = false;
    bool givingUp_ = false;  // closing has waited enough: what is left is kept
    bool hopeless_ = false;  // nothing queued can be written while this program runs
    bool firstOpenDone_ = false;

    // The writer thread's own.
    JournalStore store_;
    std::int64_t session_ = 0;  // this start's session in the file; 0 before it is written
    std::int64_t lastId_ = 0;   // the row of the last answer written
    JournalEntry lastWritten_;  // and that answer
    bool keptAdded_ = false;    // what earlier closings kept is in the journal
    std::string status_;
    std::string afterReopen_;  // said once the file put in place of the journal is open
    bool statusIsProblem_ = false;
    JournalFault lastFault_ = JournalFault::None;  // of the last attempt that failed

    std::thread thread_;  // last: started once everything above exists
};

// Every answer in the journal at `path`, oldest first, on the calling thread
// (read-only; safe while a SqliteJournal writes). No file yet: no answers.
// False, with `error`, when it cannot.
bool ReadJournal(const std::string& path, const std::function<void(const JournalEntry&)>& each,
                 std::string& error);

// The whole journal as CSV (UTF-8, header row, RFC 4180 quoting), one answer
// per row. Written beside the target and renamed over it when complete.
bool ExportJournalCsv(const std::string& journalPath, const std::string& csvPath,
                      std::string& error);

// One CSV field: quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

}  // namespace velmora
