#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <thread>

extern char** environ;

namespace velmora::bench {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

void PrintFigure(const std::string& what, const std::string& value, const std::string& goal,
                 const std::string& how) {
    std::printf("figure\t%s\t%s\t%s\t%s\n", what.c_str(), value.c_str(), goal.c_str(), how.c_str());
    std::fflush(stdout);
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

double MonotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values) {
    return Percentile(std::move(values), 0.5);
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

TempDir::TempDir(const std::string& prefix) {
    path_ = fs::temp_directory_path() / (prefix + "-" + std::to_string(getpid()));
    fs::create_directories(path_);
    fs::permissions(path_, fs::perms::owner_all);
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

Child::Child(const std::vector<std::string>& command, const std::vector<std::string>& environment,
             const fs::path& output, const fs::path& errors) {
    std::vector<std::string> variables = environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        const bool replaced = std::any_of(environment.begin(), environment.end(), [&](auto& set) {
            return set.compare(0, name.size() + 1, name + "=") == 0;
        });
        if (!replaced) variables.push_back(variable);
    }
    std::vector<char*> argv, envp;
    for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    for (const auto& word : variables) envp.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    int fds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (output.empty()) {
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    if (!errors.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (fds[1] >= 0) close(fds[1]);
    outFd_ = fds[0];
}

Child::~Child() {
    stop();
    if (outFd_ >= 0) close(outFd_);
}

bool Child::readLine(std::string& line, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (const auto end = buffered_.find('\n'); end != std::string::npos) {
            line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (outFd_ < 0 || left.count() <= 0) return false;
        pollfd ready{outFd_, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
        char chunk[512];
        const ssize_t got = read(outFd_, chunk, sizeof chunk);
        if (got <= 0) return false;
        buffered_.append(chunk, static_cast<std::size_t>(got));
    }
}

int Child::stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    for (int waited = 0; waited < 500; ++waited) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(20ms);
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    return -1;
}

XServer::XServer() {
    // Xvfb writes its display number on the given descriptor once it accepts
    // connections: standard output here.
    server_ =
        std::make_unique<Child>(std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0",
                                                         "1280x1024x24", "-nolisten", "tcp"},
                                std::vector<std::string>{}, fs::path{}, fs::path{"/dev/null"});
    std::string number;
    if (server_->started() && server_->readLine(number, 10s) && !number.empty()) {
        display_ = ":" + number;
    }
}

SoundServer::SoundServer() {
    fs::create_directories(dir_.path() / "runtime");
    fs::permissions(dir_.path() / "runtime", fs::perms::owner_all);
    const fs::path socket = dir_.path() / "native";
    server_ = std::make_unique<Child>(
        std::vector<std::string>{
            "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
            "--disable-shm", "-L", "module-null-sink sink_name=velmora_bench rate=48000", "-L",
            "module-native-protocol-unix socket=" + socket.string() + " auth-anonymous=1"},
        std::vector<std::string>{"HOME=" + dir_.path().string(),
                                 "XDG_RUNTIME_DIR=" + (dir_.path() / "runtime").string()},
        dir_.path() / "pulseaudio.log", dir_.path() / "pulseaudio.err");
    for (int waited = 0; waited < 500 && server_->started(); ++waited) {
        if (fs::exists(socket)) {
            running_ = true;
            return;
        }
        std::this_thread::sleep_for(20ms);
    }
}

std::string SoundServer::log() const {
    std::ifstream in(dir_.path() / "pulseaudio.err");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace velmora::bench
