// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

// Another program started by a test or a benchmark: the trainer itself, an X
// server, a sound server, their tools.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora::testing {

// Where a child's standard output and error go. An empty path: a pipe,
// collected into out() and err() while it is waited for. Else that file,
// truncated; the same file for both keeps them in the order written.
struct ChildOutputs {
    std::filesystem::path out = {};
    std::filesystem::path err = {};
};

// A started program, found on PATH or named by path. Every wait is bounded;
// whatever happens to the test, it is stopped (SIGTERM, SIGKILL after 5 s)
// and reaped when destroyed.
class Child {
public:
    // `environment`: NAME=value entries replace or add to ours; a bare NAME
    // removes it. Standard input is /dev/null.
    explicit Child(const std::vector<std::string>& command,
                   const std::vector<std::string>& environment = {},
                   const ChildOutputs& outputs = {});
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    // False too when it could not be started.
    bool running();
    // Sends `number` while it runs (SIGSTOP: a program that stops answering).
    void signal(int number);

    // Collects output until `text` has appeared on standard output (error),
    // the program has ended, or `limit` has passed. True if the text appeared.
    bool waitForStdout(const std::string& text, std::chrono::milliseconds limit);
    bool waitForStderr(const std::string& text, std::chrono::milliseconds limit);
    // Collects output for `period`, or until the program ends.
    void collectFor(std::chrono::milliseconds period);
    // Waits up to `limit` for the end. The exit status, 128 + the signal's
    // number when a signal ended it, or -1 while it still runs.
    int wait(std::chrono::milliseconds limit);
    // Sends `number` (continuing a stopped program first, so that it can act
    // on it) and waits as wait() does.
    int stop(int number, std::chrono::milliseconds limit);

    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }

private:
    bool waitForText(const std::string& stream, const std::string& text,
                     std::chrono::milliseconds limit);
    void collect(std::chrono::milliseconds limit);

    pid_t pid_ = -1;
    int status_ = -1;  // once reaped
    bool reaped_ = false;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_;
    std::string err_;
};

}  // namespace velmora::testing
