// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "journal/recovery_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "journal/file_helpers.h"

namespace velmora {

namespace {

// The new name in a folder reaches the disk with the folder.
void SyncFolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A line's fields are separated by tabs; within text, a backslash, tab or
// line end is written as \\, \t, \n or \r.
void AppendText(std::string& line, const std::string& text) {
    for (char c : text) {
        switch (c) {
            case '\\':
                line += "\\\\";
                break;
            case '\t':
                line += "\\t";
                break;
            case '\n':
                line += "\\n";
                break;
            case '\r':
                line += "\\r";
                break;
            default:
                line += c;
        }
    }
}

bool ReadText(std::string_view field, std::string& text) {
    text.clear();
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            text += field[i];
            continue;
        }
        if (++i == field.size()) return false;
        switch (field[i]) {
            case '\\':
                text += '\\';
                break;
            case 't':
                text += '\t';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            default:
                return false;
        }
    }
    return true;
}

template <typename Number>
bool ReadNumber(std::string_view field, Number& value) {
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc() && end == field.data() + field.size() && !field.empty();
}

bool ReadFlag(std::string_view field, bool& value) {
    if (field != "0" && field != "1") return false;
    value = field == "1";
    return true;
}

bool ReadNumbers(std::string_view field, std::vector<int>& values) {
    values.clear();
    while (!field.empty()) {
        const auto space = field.find(' ');
        int value = 0;
        if (!ReadNumber(field.substr(0, space), value)) return false;
        values.push_back(value);
        field = space == std::string_view::npos ? std::string_view() : field.substr(space + 1);
    }
    return true;
}

// Every field of an answer but the session, which is the block's.
void AppendAnswer(std::string& line, const JournalEntry& e) {
    for (const auto number : {e.utcMilliseconds, std::int64_t{e.utcOffsetMinutes},
                              std::int64_t{e.run}, std::int64_t{e.question}}) {
        line += '\t' + std::to_string(number);
    }
    line += '\t';
    AppendNumbers(line, e.notes);
    line += '\t';
    AppendText(line, e.questionText);
    line += '\t';
    AppendNumbers(line, e.answered);
    line += e.correct ? "\t1\t" : "\t0\t";
    AppendText(line, e.verdict);
    line += e.shepard ? "\t1\t" : "\t0\t";
    line += std::to_string(e.program) + '\t';
    AppendText(line, e.noteValue);
    line += '\t' + std::to_string(e.tempo) + '\t';
    AppendText(line, e.keySignature);
    line += '\t' + std::to_string(e.responseMilliseconds);
    line += e.coachChose ? "\t1" : "\t0";
    line += e.earCleared ? "\t1" : "\t0";
}

// Files kept by the first version end an answer at its response time; the
// coach's choice and the cleared ear came after.
constexpr std::size_t kFirstAnswerFields = 15;
constexpr std::size_t kAnswerFields = 17;

bool ReadAnswer(const std::vector<std::string_view>& f, std::size_t at, JournalEntry& e) {
    const bool first = f.size() == at + kFirstAnswerFields;
    if (!first && f.size() != at + kAnswerFields) return false;
    e.coachChose = e.earCleared = false;
    if (!first && !(ReadFlag(f[at + 15], e.coachChose) && ReadFlag(f[at + 16], e.earCleared))) {
        return false;
    }
    return ReadNumber(f[at], e.utcMilliseconds) && ReadNumber(f[at + 1], e.utcOffsetMinutes) &&
           ReadNumber(f[at + 2], e.run) && ReadNumber(f[at + 3], e.question) &&
           ReadNumbers(f[at + 4], e.notes) && ReadText(f[at + 5], e.questionText) &&
           ReadNumbers(f[at + 6], e.answered) && ReadFlag(f[at + 7], e.correct) &&
           ReadText(f[at + 8], e.verdict) && ReadFlag(f[at + 9], e.shepard) &&
           ReadNumber(f[at + 10], e.program) && ReadText(f[at + 11], e.noteValue) &&
           ReadNumber(f[at + 12], e.tempo) && ReadText(f[at + 13], e.keySignature) &&
           ReadNumber(f[at + 14], e.responseMilliseconds);
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    while (true) {
        const auto tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return fields;
        line.remove_prefix(tab + 1);
    }
}

// One line into the blocks read so far; false when it cannot be read.
bool ReadLine(std::string_view line, std::vector<KeptSession>& sessions) {
    if (line.empty() || line.front() == '#') return true;
    const auto f = Fields(line);
    if (f[0] == "session") {
        KeptSession session;
        if (f.size() != 3 || !ReadNumber(f[1], session.startedUtcMs) ||
            !ReadNumber(f[2], session.offsetMinutes)) {
            return false;
        }
        sessions.push_back(std::move(session));
        return true;
    }
    if (sessions.empty()) return false;  // whose answer?
    KeptOperation operation;
    if (f[0] == "answer") {
        if (!ReadAnswer(f, 1, operation.entry)) return false;
    } else if (f[0] == "replace") {
        operation.kind = KeptOperation::Kind::Replace;
        if (f.size() < 4 || !ReadNumber(f[1], operation.replaced.utcMilliseconds) ||
            !ReadNumber(f[2], operation.replaced.run) ||
            !ReadNumber(f[3], operation.replaced.question) || !ReadAnswer(f, 4, operation.entry)) {
            return false;
        }
    } else if (f[0] == "forget" && f.size() == 1) {
        operation.kind = KeptOperation::Kind::Forget;
    } else {
        return false;
    }
    sessions.back().operations.push_back(std::move(operation));
    return true;
}

// FNV-1a: the same name for the same journal in every build.
std::string NameOf(const std::string& path) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : path) hash = (hash ^ c) * 1099511628211ULL;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

}  // namespace

std::string RecoveryFileBeside(const std::string& journalPath) {
    return journalPath + ".recovery";
}

std::string RecoveryFileInStateFolder(const std::string& journalPath) {
    const std::filesystem::path state = XdgBaseFolder("XDG_STATE_HOME", ".local/state");
    // One for each journal: the name of its file and a digest of its path.
    const std::string name = std::filesystem::path(journalPath).filename().string() + "-" +
                             NameOf(journalPath) + ".recovery";
    return (state / "velmora" / name).string();
}

std::string RecoveryText(const KeptSession& session, const std::string& journalPath) {
    std::string text = "# Answers not yet in the practice journal ";
    AppendText(text, journalPath);
    text += "; the next start adds them.\nsession\t" + std::to_string(session.startedUtcMs) + '\t' +
            std::to_string(session.offsetMinutes) + '\n';
    for (const KeptOperation& operation : session.operations) {
        switch (operation.kind) {
            case KeptOperation::Kind::Record:
                text += "answer";
                AppendAnswer(text, operation.entry);
                break;
            case KeptOperation::Kind::Replace:
                text += "replace\t" + std::to_string(operation.replaced.utcMilliseconds) + '\t' +
                        std::to_string(operation.replaced.run) + '\t' +
                        std::to_string(operation.replaced.question);
                AppendAnswer(text, operation.entry);
                break;
            case KeptOperation::Kind::Forget:
                text += "forget";
                break;
        }
        text += '\n';
    }
    return text;
}

std::vector<KeptSession> ParseRecoveryText(const std::string& text, std::size_t& unreadable) {
    std::vector<KeptSession> sessions;
    unreadable = 0;
    std::string_view rest = text;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        // A last line without its end was cut short: not to be trusted.
        if (end == std::string_view::npos || !ReadLine(rest.substr(0, end), sessions)) {
            ++unreadable;
        }
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    return sessions;
}

std::string AppendToRecoveryFile(const std::string& path, const std::string& text) {
    // A start may add the file and remove it between our opening and our lock.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return SystemError(path);
        struct stat info {};
        if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &info) != 0) {
            const std::string problem = SystemError(path);
            ::close(fd);
            return problem;
        }
        if (info.st_nlink == 0) {
            ::close(fd);
            continue;
        }
        int error = 0;
        for (std::size_t done = 0; done < text.size() && error == 0;) {
            const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
            if (n >= 0) {
                done += static_cast<std::size_t>(n);
            } else if (errno != EINTR) {
                error = errno;
            }
        }
        if (error == 0 && ::fsync(fd) != 0) error = errno;
        if (error != 0) {
            // Nothing half written stays behind, nor a file of nothing.
            if (info.st_size == 0) {
                ::unlink(path.c_str());
            } else if (::ftruncate(fd, info.st_size) != 0) {
                error = errno;
            }
            ::close(fd);
            return SystemError(path, error);
        }
        ::close(fd);
        if (info.st_size == 0) SyncFolderOf(path);
        return {};
    }
    return path + ": removed again and again while being written";
}

RecoveryFileBeingAdded::RecoveryFileBeingAdded(std::string path) : path_(std::move(path)) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) {
            if (errno != ENOENT) problem_ = SystemError(path_);
            return;
        }
        struct stat info {};
        if (::flock(fd_, LOCK_EX) != 0 || ::fstat(fd_, &info) != 0) {
            problem_ = SystemError(path_);
            return;
        }
        if (info.st_nlink > 0) break;
        // Added and removed by another start meanwhile.
        ::close(fd_);
        fd_ = -1;
    }
    if (fd_ < 0) return;
    char buffer[1 << 14];
    while (true) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            text_.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            problem_ = SystemError(path_);
            break;
        }
    }
}

RecoveryFileBeingAdded::~RecoveryFileBeingAdded() {
    if (fd_ >= 0) ::close(fd_);
}

void RecoveryFileBeingAdded::remove() {
    if (::unlink(path_.c_str()) == 0) SyncFolderOf(path_);
}

bool RecoveryFileBeingAdded::moveTo(const std::string& aside) {
    return std::rename(path_.c_str(), aside.c_str()) == 0;
}

}  // namespace velmora
