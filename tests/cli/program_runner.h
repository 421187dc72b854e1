#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace velmora::testing {

// Starts the velmora program with its output captured, for tests of the
// program as a user starts it. Every wait is bounded.
class ProgramRunner {
public:
    // `environment`: NAME=value entries set for the program on top of ours.
    explicit ProgramRunner(std::vector<std::string> arguments,
                           std::vector<std::string> environment = {});
    ~ProgramRunner();

    // Collects output until `text` has appeared on stderr, the program has
    // ended, or `limit` has passed. True if the text appeared.
    bool waitForStderr(const std::string& text, std::chrono::milliseconds limit);
    // Collects output for `period`, or until the program ends.
    void collectFor(std::chrono::milliseconds period);
    bool running();
    // Sends `signal` and waits for the end; returns the exit status, or
    // 128 + signal number when killed, or -1 if it did not end in time.
    int stop(int signal, std::chrono::milliseconds limit);
    // Waits for the program to end on its own.
    int wait(std::chrono::milliseconds limit);

    int pid() const { return pid_; }
    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }

private:
    void pump(std::chrono::milliseconds limit);
    int reap(std::chrono::milliseconds limit);

    int pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    int status_ = -2;  // -2: still running
    std::string out_;
    std::string err_;
};

}  // namespace velmora::testing
