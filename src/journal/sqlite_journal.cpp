// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "journal/sqlite_journal.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "journal/file_helpers.h"

namespace velmora {

namespace {

using Clock = std::chrono::steady_clock;

std::string DatedName(const std::string& path, const char* why) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string base = path + "." + why + "-" + stamp;
    std::string name = base;
    std::error_code error;
    for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(name, error)); ++n) {
        name = base + "-" + std::to_string(n);
    }
    return name;
}

// The file and what SQLite keeps beside it go under the new name together;
// nothing is removed.
bool MoveAside(const std::string& path, const std::string& aside, std::string& reason) {
    std::error_code error;
    std::filesystem::rename(path, aside, error);
    if (error) {
        reason = error.message();
        return false;
    }
    for (const char* companion : {"-wal", "-shm"}) {
        std::error_code ignored;
        if (std::filesystem::exists(path + companion, ignored)) {
            std::filesystem::rename(path + companion, aside + companion, ignored);
        }
    }
    return true;
}

}  // namespace

std::string DefaultJournalPath() {
    return (XdgBaseFolder("XDG_DATA_HOME", ".local/share") / "velmora" / "journal.sqlite").string();
}

SqliteJournal::SqliteJournal(std::string path, StatusListener listener)
    : path_(std::move(path)), listener_(std::move(listener)) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::time_t seconds = now.tv_sec;
    std::tm local{};
    localtime_r(&seconds, &local);
    startedUtcMs_ = static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    startedOffsetMinutes_ = static_cast<int>(local.tm_gmtoff / 60);
    thread_ = std::thread([this] { run(); });
}

SqliteJournal::~SqliteJournal() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    const std::string kept = keepWhatIsLeft();
    if (!kept.empty() && listener_) listener_(kept);
}

std::string SqliteJournal::keepWhatIsLeft() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        givingUp_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    KeptSession kept;
    {
        std::lock_guard lock(mutex_);
        kept = keptFromQueue();
        queue_.clear();
    }
    if (kept.operations.empty()) return {};
    std::size_t answers = 0;
    for (const KeptOperation& operation : kept.operations) {
        answers += operation.kind != KeptOperation::Kind::Forget;
    }
    const std::string what = answers == 0 ? std::string("emptying the journal could not be done")
                                          : std::to_string(answers) + " answer" +
                                                (answers == 1 ? "" : "s") + " could not be written";

    // Beside the journal, unless that is no file or its folder is gone; else
    // in the state folder.
    std::vector<std::string> places;
    std::error_code error;
    const auto status = std::filesystem::status(path_, error);
    const auto folder = std::filesystem::path(path_).parent_path();
    if ((std::filesystem::is_regular_file(status) || !std::filesystem::exists(status)) &&
        (folder.empty() || std::filesystem::is_directory(folder, error))) {
        places.push_back(RecoveryFileBeside(path_));
    }
    places.push_back(RecoveryFileInStateFolder(path_));
    std::string problems;
    for (const std::string& place : places) {
        std::filesystem::create_directories(std::filesystem::path(place).parent_path(), error);
        const std::string problem = AppendToRecoveryFile(place, RecoveryText(kept, path_));
        if (problem.empty()) {
            return "Practice journal: " + what + "; kept in " + place + " for the next start";
        }
        problems += (problems.empty() ? "" : "; ") + problem;
    }
    return "Practice journal: " + what + ", nor kept for later: lost (" + problems + "): " + path_;
}

// What is queued, as the writer would have written it; once it has stopped,
// its state is ours to read.
KeptSession SqliteJournal::keptFromQueue() const {
    KeptSession kept{startedUtcMs_, startedOffsetMinutes_, {}};
    auto& operations = kept.operations;
    std::optional<JournalEntry> written;
    if (lastId_ != 0) written = lastWritten_;
    for (const Operation& operation : queue_) {
        switch (operation.kind) {
            case Kind::Record:
                operations.push_back({KeptOperation::Kind::Record, operation.entry, {}});
                break;
            case Kind::Replace:
                // The answer kept last, the one written last, or else an
                // answer of its own.
                if (!operations.empty() && operations.back().kind != KeptOperation::Kind::Forget) {
                    operations.back().entry = operation.entry;
                } else if (written) {
                    operations.push_back({KeptOperation::Kind::Replace, operation.entry, *written});
                } else {
                    operations.push_back({KeptOperation::Kind::Record, operation.entry, {}});
                }
                break;
            case Kind::Forget:
                operations.clear();
                operations.push_back({KeptOperation::Kind::Forget, {}, {}});
                written.reset();
                break;
        }
    }
    return kept;
}

void SqliteJournal::record(const JournalEntry& entry) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({Kind::Record, entry});
        nudged_ = true;
    }
    wake_.notify_one();
}

void SqliteJournal::replaceLast(const JournalEntry& entry) {
    {
        std::lock_guard lock(mutex_);
        // Still queued (and not being written): replaced where it waits.
        const bool backBeingWritten = writing_ && queue_.size() == 1;
        if (!queue_.empty() && queue_.back().kind != Kind::Forget && !backBeingWritten) {
            queue_.back().entry = entry;
        } else {
            queue_.push_back({Kind::Replace, entry});
        }
        nudged_ = true;
    }
    wake_.notify_one();
}

void SqliteJournal::forget() {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({Kind::Forget, {}});
        nudged_ = true;
    }
    wake_.notify_one();
}

bool SqliteJournal::drain(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    drained_.wait_for(lock, limit, [this] { return (queue_.empty() && !writing_) || hopeless_; });
    return queue_.empty() && !writing_;
}

std::size_t SqliteJournal::pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

bool SqliteJournal::readAll(const std::function<void(const JournalEntry&)>& each,
                            std::string& error) {
    {
        std::unique_lock lock(mutex_);
        drained_.wait_for(lock, kClosingWait, [this] { return firstOpenDone_ || stopping_; });
    }
    return ReadJournal(path_, each, error);
}

void SqliteJournal::run() {
    // Opened at once: the session is this start of the program, and a
    // problem with the file is told before the first answer.
    bool failing = !ensureOpen();
    Clock::time_point retryAt = Clock::now() + kRetryInterval;
    std::unique_lock lock(mutex_);
    firstOpenDone_ = true;
    drained_.notify_all();
    std::optional<Clock::time_point> closingBy;
    while (true) {
        if (stopping_ && !closingBy) closingBy = Clock::now() + kClosingWait;
        if (queue_.empty()) {
            drained_.notify_all();
            if (stopping_) break;
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            continue;
        }
        // A newer journal stays newer: closing does not wait for it.
        if (closingBy &&
            (Clock::now() >= *closingBy || lastFault_ == JournalFault::Newer || givingUp_)) {
            break;
        }
        if (failing && !nudged_ && Clock::now() < retryAt) {
            const auto until = closingBy ? std::min(retryAt, *closingBy) : retryAt;
            wake_.wait_until(lock, until, [this] { return nudged_ || stopping_; });
            continue;
        }
        nudged_ = false;
        const Operation operation = queue_.front();
        writing_ = true;
        lock.unlock();
        const bool written = ensureOpen() && writeOne(operation);
        lock.lock();
        writing_ = false;
        if (written) {
            queue_.pop_front();
            failing = false;
        } else {
            failing = true;
            // While closing, the few seconds left are spent trying.
            retryAt = Clock::now() + (stopping_ ? std::chrono::milliseconds(200)
                                                : std::chrono::milliseconds(kRetryInterval));
        }
    }
    lock.unlock();
    store_.close();
}

bool SqliteJournal::ensureOpen() {
    // Looked at before every write: a journal deleted or replaced meanwhile
    // would otherwise take the answers with it, or give ours to the new file.
    if (store_.isOpen()) {
        const auto where = store_.whereabouts();
        if (where == JournalStore::Whereabouts::AtItsPath) return true;
        store_.close();
        session_ = 0;
        lastId_ = 0;
        afterReopen_ =
            where == JournalStore::Whereabouts::Gone
                ? "Practice journal: the file was deleted or moved away; a new journal was "
                  "started with the answers not yet in it: " +
                      path_
                : "Practice journal: another file was put in the journal's place; answers now "
                  "go into it: " +
                      path_;
    }
    JournalError error = store_.open(path_);
    if (error.fault == JournalFault::Damaged || error.fault == JournalFault::Foreign) {
        if (!setAside(error)) return false;  // it has said why
        error = store_.open(path_);
    }
    if (error) {
        report(error);
        return false;
    }
    if (!keptAdded_ && !addKeptAnswers()) return false;
    if (session_ == 0) {
        if (JournalError e = store_.beginSession(startedUtcMs_, startedOffsetMinutes_, session_)) {
            store_.close();
            report(e);
            return false;
        }
    }
    if (!afterReopen_.empty()) setStatus(std::exchange(afterReopen_, {}), false);
    return true;
}

// Each file is removed only once its answers are committed; should the
// program end in between, adding it again adds nothing twice.
bool SqliteJournal::addKeptAnswers() {
    std::string said;
    for (const std::string& place : {RecoveryFileBeside(path_), RecoveryFileInStateFolder(path_)}) {
        RecoveryFileBeingAdded file(place);
        if (!file.problem().empty()) {
            said += "; " + file.problem() + " (answers kept at an earlier closing, left there)";
            continue;
        }
        if (!file.present()) continue;
        std::size_t unreadable = 0;
        const auto kept = ParseRecoveryText(file.text(), unreadable);
        std::size_t added = 0;
        if (JournalError e = store_.addKept(kept, added)) {
            store_.close();
            report(e);
            return false;
        }
        // Nothing new: the file was added once already, by a start that ended too soon.
        if (added > 0 || unreadable > 0) {
            said += "; " + std::to_string(added) + " answer" + (added == 1 ? "" : "s") +
                    " kept at an earlier closing added from " + place;
        }
        if (unreadable == 0) {
            file.remove();
            continue;
        }
        const std::string aside = DatedName(place, "unreadable");
        said += ", " + std::to_string(unreadable) + " line" + (unreadable == 1 ? "" : "s") +
                " of it could not be read" +
                (file.moveTo(aside) ? ": the file was moved to " + aside : ": it is left as it is");
    }
    keptAdded_ = true;
    if (!said.empty()) setStatus("Practice journal: " + said.substr(2), false);
    return true;
}

bool SqliteJournal::setAside(const JournalError& error) {
    store_.close();
    const bool damaged = error.fault == JournalFault::Damaged;
    const std::string aside = DatedName(path_, damaged ? "damaged" : "foreign");
    const std::string what = damaged ? "damaged (" + error.message + ")"
                                     : "the file is not a practice journal (" + error.message + ")";
    std::string reason;
    if (!MoveAside(path_, aside, reason)) {
        setStatus("Practice journal: " + what + ", and it could not be moved aside (" + reason +
                      "); answers are kept and tried again: " + path_,
                  true);
        return false;
    }
    session_ = 0;
    lastId_ = 0;
    afterReopen_.clear();  // what is said here says more
    setStatus(
        "Practice journal: " + what + "; a new journal was started, the old one moved to " + aside,
        false);
    return true;
}

bool SqliteJournal::writeOne(const Operation& operation, bool again) {
    JournalError error;
    switch (operation.kind) {
        case Kind::Record:
            error = store_.insert(operation.entry, session_, lastId_);
            if (!error) lastWritten_ = operation.entry;
            break;
        case Kind::Replace: {
            bool found = false;
            if (lastId_ != 0) error = store_.replace(lastId_, operation.entry, session_, found);
            // Nothing to replace (forgotten meanwhile): kept as an answer of its own.
            if (!error && !found) error = store_.insert(operation.entry, session_, lastId_);
            if (!error) lastWritten_ = operation.entry;
            break;
        }
        case Kind::Forget:
            error = store_.forget(session_);
            lastId_ = 0;
            break;
    }
    if (error.fault == JournalFault::Damaged && !again) {
        // Damage found while writing: the file goes aside and the answer
        // into a new journal at once.
        return setAside(error) && ensureOpen() && writeOne(operation, true);
    }
    if (error) {
        store_.close();  // opened afresh next time
        report(error);
        return false;
    }
    lastFault_ = JournalFault::None;
    {
        std::lock_guard lock(mutex_);
        hopeless_ = false;
    }
    if (statusIsProblem_) setStatus("", false);
    return true;
}

// The problem first: the window's status line may show only the beginning.
void SqliteJournal::report(const JournalError& error) {
    lastFault_ = error.fault;
    {
        std::lock_guard lock(mutex_);
        hopeless_ = error.fault == JournalFault::Newer;
    }
    if (hopeless_) drained_.notify_all();
    std::string problem;
    std::string outcome = "answers are kept and tried again";
    switch (error.fault) {
        case JournalFault::Locked:
            problem = "locked by another program";
            break;
        case JournalFault::Full:
            problem = "no room left on the disk";
            break;
        case JournalFault::Newer:
            problem = "written by a newer version of Velmora, left as it is";
            outcome = "answers are kept until the program ends, then in a recovery file";
            break;
        case JournalFault::Damaged:
            problem = "damaged (" + error.message + ")";
            break;
        default:
            problem = "cannot write (" + error.message + ")";
            break;
    }
    setStatus("Practice journal: " + problem + "; " + outcome + ": " + path_, true);
}

void SqliteJournal::setStatus(const std::string& status, bool problem) {
    statusIsProblem_ = problem;
    if (status == status_) return;
    status_ = status;
    if (listener_) listener_(status);
}

}  // namespace velmora
