// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

// What closing could not write into the journal (the file locked by another
// program, the disk full), kept in a plain file for the next start to add:
// one block for each closing, appended, one line for each thing to do.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ports/journal.h"

namespace velmora {

// One thing the journal's writer had still to do.
struct KeptOperation {
    enum class Kind { Record, Replace, Forget };
    Kind kind = Kind::Record;
    JournalEntry entry;  // Record, Replace: the answer
    // Replace: the answer already in the journal that it replaces, known by
    // its time, run and question.
    JournalEntry replaced;
};

// One start of the program and what it could not write.
struct KeptSession {
    std::int64_t startedUtcMs = 0;
    int offsetMinutes = 0;
    std::vector<KeptOperation> operations;
};

// The recovery file beside the journal, and the one in the user's state
// folder ($XDG_STATE_HOME/velmora, default ~/.local/state/velmora) for when
// the journal's folder cannot take it.
std::string RecoveryFileBeside(const std::string& journalPath);
std::string RecoveryFileInStateFolder(const std::string& journalPath);

// `session` as a block of lines (the first a comment naming the journal).
std::string RecoveryText(const KeptSession& session, const std::string& journalPath);
// Every block in `text`; lines that cannot be read (cut short by a crash,
// edited by hand) are left out and counted in `unreadable`.
std::vector<KeptSession> ParseRecoveryText(const std::string& text, std::size_t& unreadable);

// Appends `text` to the file at `path` (created when missing) and syncs it
// to disk, locked against a start adding it meanwhile. Empty, or the reason
// it could not: then nothing of it is left in the file.
std::string AppendToRecoveryFile(const std::string& path, const std::string& text);

// A recovery file being added to the journal: opened and locked (an
// appending closing waits), read whole. Removed once its answers are in the
// journal; unlocked when destroyed.
class RecoveryFileBeingAdded {
public:
    explicit RecoveryFileBeingAdded(std::string path);
    ~RecoveryFileBeingAdded();
    RecoveryFileBeingAdded(const RecoveryFileBeingAdded&) = delete;
    RecoveryFileBeingAdded& operator=(const RecoveryFileBeingAdded&) = delete;

    // False when there is none (or it was added meanwhile by another start).
    bool present() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    const std::string& text() const { return text_; }
    // Why it could not be read; empty when it was.
    const std::string& problem() const { return problem_; }
    // Its answers are in the journal.
    void remove();
    // Some of its lines could not be read: kept under `aside`.
    bool moveTo(const std::string& aside);

private:
    std::string path_;
    int fd_ = -1;
    std::string text_;
    std::string problem_;
};

}  // namespace velmora
