#include "cli/program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace velmora::testing {

using Clock = std::chrono::steady_clock;

ProgramRunner::ProgramRunner(std::vector<std::string> arguments,
                             std::vector<std::string> environment) {
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return;
    arguments.insert(arguments.begin(), VELMORA_BINARY);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        for (auto& entry : environment) putenv(entry.data());
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    outFd_ = outPipe[0];
    errFd_ = errPipe[0];
}

ProgramRunner::~ProgramRunner() {
    if (running()) stop(SIGKILL, std::chrono::milliseconds(2000));
    if (outFd_ >= 0) close(outFd_);
    if (errFd_ >= 0) close(errFd_);
}

void ProgramRunner::pump(std::chrono::milliseconds limit) {
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (poll(fds, 2, static_cast<int>(limit.count())) <= 0) return;
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
        if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
        const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
        if (n > 0) (i == 0 ? out_ : err_).append(buffer, static_cast<std::size_t>(n));
    }
}

bool ProgramRunner::running() {
    if (pid_ <= 0 || status_ != -2) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        pump(std::chrono::milliseconds(50));
        return false;
    }
    return true;
}

bool ProgramRunner::waitForStderr(const std::string& text, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (err_.find(text) == std::string::npos && Clock::now() < end && running()) {
        pump(std::chrono::milliseconds(50));
    }
    return err_.find(text) != std::string::npos;
}

void ProgramRunner::collectFor(std::chrono::milliseconds period) {
    const auto end = Clock::now() + period;
    while (Clock::now() < end && running()) pump(std::chrono::milliseconds(50));
}

int ProgramRunner::reap(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (running() && Clock::now() < end) pump(std::chrono::milliseconds(20));
    if (status_ == -2) return -1;
    // Drain what is left in the pipes.
    for (int i = 0; i < 5; ++i) pump(std::chrono::milliseconds(10));
    return status_;
}

int ProgramRunner::stop(int signal, std::chrono::milliseconds limit) {
    if (running()) kill(pid_, signal);
    return reap(limit);
}

int ProgramRunner::wait(std::chrono::milliseconds limit) {
    return reap(limit);
}

}  // namespace velmora::testing
