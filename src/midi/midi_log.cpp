// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/midi_log.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>

#include "midi/messages.h"
#include "text/printable.h"

namespace velmora {

namespace {

// More than a reader that is merely slow leaves unread: about 4000 lines,
// on top of what the pipe itself holds.
constexpr std::size_t kMostPending = 64 * 1024;
// How long the last lines wait for a reader that is behind when the log closes.
constexpr std::chrono::milliseconds kLastLinesWait{500};

// What went wrong, in the user's terms; 0: the reader does not keep up.
std::string Reason(int error) {
    switch (error) {
        case 0:
            return "the program reading it does not keep up";
        case ENXIO:  // a FIFO opened without waiting, with no reader
            return "no program is reading it";
        case EPIPE:
            return "the program reading it has ended";
        default:
            return std::strerror(error);
    }
}

std::string Line(std::chrono::steady_clock::duration sinceStart, std::uint32_t message) {
    const double ms = std::chrono::duration<double, std::milli>(sinceStart).count();
    // A point, never a comma, whatever the locale: the log is read by programs.
    std::array<char, 32> time{};
    const auto [end, error] =
        std::to_chars(time.data(), time.data() + time.size(), ms, std::chars_format::fixed, 3);
    return std::string(time.data(), error == std::errc() ? end : time.data()) + " " +
           FormatMessage(message) + "\n";
}

}  // namespace

MidiLog::MidiLog(std::unique_ptr<MidiOut> inner, std::string path)
    : inner_(std::move(inner)), path_(std::move(path)), start_(std::chrono::steady_clock::now()) {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                 0666);
    if (fd_ < 0) {
        problem_ = "cannot write MIDI log " + Quoted(path_) + ": " + Reason(errno);
        return;
    }
    struct stat status {};
    regularFile_ = ::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode);
}

MidiLog::~MidiLog() {
    // No one is told any more: whoever listened may be gone.
    onWriteError_ = nullptr;
    const auto end = std::chrono::steady_clock::now() + kLastLinesWait;
    writePending();
    while (fd_ >= 0 && !pending_.empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd writable{fd_, POLLOUT, 0};
        ::poll(&writable, 1, static_cast<int>(left.count()));
        writePending();
    }
    if (fd_ >= 0) ::close(fd_);
}

bool MidiLog::open() {
    return inner_ ? inner_->open() : fd_ >= 0;
}

void MidiLog::send(std::uint32_t message) {
    const auto now = std::chrono::steady_clock::now();
    // The note first: its line can wait, the note cannot.
    if (inner_) inner_->send(message);
    if (fd_ < 0) return;
    pending_ += Line(now - start_, message);
    writePending();
}

void MidiLog::writePending() {
    while (fd_ >= 0 && !pending_.empty()) {
        // Whole lines, no more than a pipe takes in one piece: a reader never
        // gets half a line, however full the pipe is.
        std::size_t size = pending_.size();
        if (size > PIPE_BUF) size = pending_.rfind('\n', PIPE_BUF - 1) + 1;
        const ssize_t written = ::write(fd_, pending_.data(), size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;  // the reader is behind
        if (written < 0) return stop(errno);
        if (written == 0) break;
        const auto count = static_cast<std::size_t>(written);
        const std::size_t lineEnd = pending_.rfind('\n', count - 1);
        partLineWritten_ =
            lineEnd == std::string::npos ? partLineWritten_ + count : count - lineEnd - 1;
        pending_.erase(0, count);
    }
    if (pending_.size() > kMostPending) stop(0);
}

void MidiLog::stop(int error) {
    // A full disk cuts a line short: take the piece back, so the log ends
    // with a whole line.
    if (regularFile_ && partLineWritten_ > 0) {
        const off_t end = ::lseek(fd_, 0, SEEK_CUR);
        const auto part = static_cast<off_t>(partLineWritten_);
        // Should that fail too, the problem below is all there is to say.
        [[maybe_unused]] const int ignored = end >= part ? ::ftruncate(fd_, end - part) : 0;
    }
    ::close(fd_);
    fd_ = -1;
    pending_.clear();
    partLineWritten_ = 0;
    problem_ = "cannot write MIDI log " + Quoted(path_) + " any more: " + Reason(error);
    if (onWriteError_) onWriteError_(problem_);
}

void MidiLog::close() {
    if (inner_) inner_->close();
    writePending();
}

std::string MidiLog::description() const {
    return inner_ ? inner_->description() : "MIDI log " + Printable(path_);
}

bool MidiLog::isWorking() const {
    return inner_ ? inner_->isWorking() : fd_ >= 0;
}

}  // namespace velmora
