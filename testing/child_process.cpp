// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "testing/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

extern char** environ;

namespace velmora::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::string NameOf(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

// Ours, with `changes` applied.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& changes) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const bool changed = std::any_of(changes.begin(), changes.end(), [&](const auto& change) {
            return NameOf(change) == NameOf(variable);
        });
        if (!changed) variables.push_back(variable);
    }
    for (const auto& change : changes) {
        if (change.find('=') != std::string::npos) variables.push_back(change);
    }
    return variables;
}

// Sends `stream` of the child to `file`, or to a pipe whose reading end is
// left in `reader`.
void Direct(posix_spawn_file_actions_t& actions, int stream, const fs::path& file, int& reader,
            int& writer) {
    if (!file.empty()) {
        posix_spawn_file_actions_addopen(&actions, stream, file.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        return;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    reader = fds[0];
    writer = fds[1];
    posix_spawn_file_actions_adddup2(&actions, writer, stream);
}

void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

Child::Child(const std::vector<std::string>& command, const std::vector<std::string>& environment,
             const ChildOutputs& outputs) {
    const std::vector<std::string> variables = EnvironmentWith(environment);
    std::vector<char*> argv, envp;
    for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    for (const auto& word : variables) envp.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    int outWriter = -1;
    int errWriter = -1;
    Direct(actions, STDOUT_FILENO, outputs.out, outFd_, outWriter);
    if (!outputs.err.empty() && outputs.err == outputs.out) {
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    } else {
        Direct(actions, STDERR_FILENO, outputs.err, errFd_, errWriter);
    }
    if (::posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    Close(outWriter);
    Close(errWriter);
}

Child::~Child() {
    if (stop(SIGTERM, 5s) == -1 && running()) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    Close(outFd_);
    Close(errFd_);
}

bool Child::running() {
    if (pid_ <= 0 || reaped_) return false;
    int status = 0;
    const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
    if (ended == 0) return true;
    reaped_ = true;
    if (ended == pid_) status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    // What it wrote last, up to the pipes' end.
    const auto end = Clock::now() + 100ms;
    while ((outFd_ >= 0 || errFd_ >= 0) && Clock::now() < end) collect(10ms);
    return false;
}

void Child::signal(int number) {
    // Never once reaped: the number may belong to another process by now.
    if (running()) ::kill(pid_, number);
}

void Child::collect(std::chrono::milliseconds limit) {
    // poll() passes over the closed ones (-1), and only sleeps when both are.
    pollfd ready[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (::poll(ready, 2, static_cast<int>(limit.count())) <= 0) return;
    int* fds[2] = {&outFd_, &errFd_};
    std::string* texts[2] = {&out_, &err_};
    for (int i = 0; i < 2; ++i) {
        if ((ready[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
        char buffer[4096];
        const ssize_t got = ::read(*fds[i], buffer, sizeof buffer);
        if (got > 0) {
            texts[i]->append(buffer, static_cast<std::size_t>(got));
        } else {
            Close(*fds[i]);
        }
    }
}

bool Child::waitForText(const std::string& collected, const std::string& text,
                        std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (collected.find(text) == std::string::npos && Clock::now() < end && running()) {
        collect(20ms);
    }
    return collected.find(text) != std::string::npos;
}

bool Child::waitForStdout(const std::string& text, std::chrono::milliseconds limit) {
    return waitForText(out_, text, limit);
}

bool Child::waitForStderr(const std::string& text, std::chrono::milliseconds limit) {
    return waitForText(err_, text, limit);
}

void Child::collectFor(std::chrono::milliseconds period) {
    const auto end = Clock::now() + period;
    while (Clock::now() < end && running()) collect(20ms);
}

int Child::wait(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (running() && Clock::now() < end) collect(20ms);
    return reaped_ ? status_ : -1;
}

int Child::stop(int number, std::chrono::milliseconds limit) {
    if (running()) {
        ::kill(pid_, SIGCONT);
        ::kill(pid_, number);
    }
    return wait(limit);
}

}  // namespace velmora::testing
