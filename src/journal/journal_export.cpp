// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "journal/file_helpers.h"
#include "journal/journal_columns.h"
#include "journal/journal_store.h"
#include "journal/sqlite_journal.h"

namespace velmora {

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::pair<std::string, std::string> FolderAndName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// Whether `target` is the journal or one of the files SQLite keeps beside it,
// by whatever spelling, link or hard link: writing there would destroy it.
// The companions may not exist yet, so they are also matched by folder and name.
bool IsTheJournal(const std::string& journalPath, const struct stat& journal,
                  const std::string& target) {
    static const char* const kCompanions[] = {"", "-wal", "-shm", "-journal"};
    struct stat found {};
    if (::stat(target.c_str(), &found) == 0) {
        for (const char* companion : kCompanions) {
            struct stat file {};
            if (::stat((journalPath + companion).c_str(), &file) == 0 && SameFile(file, found)) {
                return true;
            }
        }
        if (SameFile(found, journal)) return true;
    }
    const auto [journalFolder, journalName] = FolderAndName(journalPath);
    const auto [targetFolder, targetName] = FolderAndName(target);
    struct stat a {
    }, b{};
    if (::stat(journalFolder.c_str(), &a) != 0 || ::stat(targetFolder.c_str(), &b) != 0 ||
        !SameFile(a, b)) {
        return false;
    }
    for (const char* companion : kCompanions) {
        if (targetName == journalName + companion) return true;
    }
    return false;
}

// What the file's own permissions let this user do, as a user without
// privileges would see them: a file made read-only, or another user's, is not
// replaced even by root.
bool OursToReplace(const struct stat& file) {
    if (file.st_uid == ::geteuid()) return (file.st_mode & S_IWUSR) != 0;
    if (file.st_gid == ::getegid()) return (file.st_mode & S_IWGRP) != 0;
    return (file.st_mode & S_IWOTH) != 0;
}

}  // namespace

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

bool ReadJournal(const std::string& path, const std::function<void(const JournalEntry&)>& each,
                 std::string& error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return true;  // nothing practised yet
        error = SystemError(path);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + ": not a regular file";
        return false;
    }
    JournalStore store;
    JournalError failure = store.openToRead(path);
    if (!failure) failure = store.readAll(each);
    if (failure) {
        error = path + ": " + failure.message;
        return false;
    }
    return true;
}

bool ExportJournalCsv(const std::string& journalPath, const std::string& csvPath,
                      std::string& error) {
    struct stat journal {};
    if (::stat(journalPath.c_str(), &journal) != 0) {
        error =
            errno == ENOENT ? "no practice journal at " + journalPath : SystemError(journalPath);
        return false;
    }
    if (IsTheJournal(journalPath, journal, csvPath)) {
        error = csvPath + " is the practice journal itself (or a file that belongs to it)";
        return false;
    }
    struct stat existing {};
    const bool replacing = ::stat(csvPath.c_str(), &existing) == 0;
    // A pipe, a device or a folder is not replaced by a file.
    if (replacing && !S_ISREG(existing.st_mode)) {
        error = csvPath + ": not a regular file";
        return false;
    }
    if (replacing && !OursToReplace(existing)) {
        error = csvPath + ": the file is write-protected, so it is not replaced";
        return false;
    }
    static std::atomic<int> counter{0};
    const std::string partial =
        csvPath + ".partial-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = SystemError(csvPath);
        return false;
    }
    // A file replaced keeps the permissions it had.
    if (replacing) ::fchmod(fd, existing.st_mode & 0777);
    FILE* out = fdopen(fd, "w");
    if (!out) {
        error = SystemError(csvPath);
        ::close(fd);
        ::unlink(partial.c_str());
        return false;
    }
    std::vector<char> buffer(1 << 16);
    std::setvbuf(out, buffer.data(), _IOFBF, buffer.size());

    // The reason of the first write that failed, taken at once: reading the
    // journal on meanwhile sets errno for reasons of its own.
    int writeError = 0;
    const auto wrote = [&](bool ok) {
        if (!ok && writeError == 0) writeError = errno != 0 ? errno : EIO;
        return ok;
    };
    errno = 0;
    bool written = wrote(std::fputs(CsvHeader().c_str(), out) >= 0);
    std::string row;
    const bool read = ReadJournal(
        journalPath,
        [&](const JournalEntry& e) {
            if (!written) return;
            // One string for every row, its room reused.
            row.clear();
            AppendCsvRow(row, e);
            errno = 0;
            written = wrote(std::fwrite(row.data(), 1, row.size(), out) == row.size());
        },
        error);
    errno = 0;
    written = wrote(std::fflush(out) == 0) && written;
    if (::fsync(fileno(out)) != 0 && errno != EINVAL) wrote(false);
    errno = 0;
    written = wrote(std::fclose(out) == 0) && written;
    if (writeError != 0 && error.empty()) error = SystemError(csvPath, writeError);
    if (read && written && error.empty() && std::rename(partial.c_str(), csvPath.c_str()) != 0) {
        error = SystemError(csvPath);
    }
    if (!error.empty()) {
        ::unlink(partial.c_str());
        return false;
    }
    return true;
}

}  // namespace velmora
