// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "midi/midi_out.h"

namespace velmora {

// Passes every message on to the real output and writes it to a file, one line
// each: milliseconds since the log was opened, then the bytes in hex.
//   1234.567 90 3C 7F
//
// The file may be a pipe or a FIFO with a program reading it. The log never
// holds up the sound: each message goes out before its line is written, and
// nothing waits for the file. A reader that falls behind has its lines kept
// for it, up to a limit. Lines are written whole or not at all.
//
// When the file cannot be written any more (the disk is full, the reader has
// ended), the log says so once and stops; the sound goes on. A reader that
// ends raises SIGPIPE, which the program must ignore.
class MidiLog final : public MidiOut {
public:
    using ProblemReport = std::function<void(const std::string&)>;

    // `inner` may be null: then the log is the only sink. Opens the file
    // without waiting: a FIFO that no program reads is a problem, not a wait.
    MidiLog(std::unique_ptr<MidiOut> inner, std::string path);
    ~MidiLog() override;
    MidiLog(const MidiLog&) = delete;
    MidiLog& operator=(const MidiLog&) = delete;

    bool open() override;
    void send(std::uint32_t message) override;
    void close() override;
    std::string description() const override;
    bool isWorking() const override;

    // Empty while the log is written, else why not, in one line.
    const std::string& problem() const { return problem_; }
    // Called once, from send(), when the log stops on a write error.
    void onWriteError(ProblemReport report) { onWriteError_ = std::move(report); }

private:
    // Writes what is pending, as far as the file takes it without waiting.
    void writePending();
    // Stops the log for `error` (an errno value, or 0: the reader does not keep up).
    void stop(int error);

    std::unique_ptr<MidiOut> inner_;
    std::string path_;
    int fd_ = -1;
    bool regularFile_ = false;
    std::string pending_;              // whole lines not yet written
    std::size_t partLineWritten_ = 0;  // of the first pending line, when a write cut it
    std::string problem_;
    ProblemReport onWriteError_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace velmora
