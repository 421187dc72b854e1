// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "testing/servers.h"

#include "testing/helpers.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <thread>

extern char** environ;

namespace velmora::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Something accepts connections on the Unix socket.
bool Listening(const fs::path& socket) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

}  // namespace

XServer::XServer()
    : server_({"Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, {},
              {.err = "/dev/null"}) {
    // Xvfb writes its display number once it accepts connections.
    if (server_.waitForStdout("\n", 10s)) {
        const std::string& out = server_.out();
        display_ = out.substr(0, out.find('\n'));
        display_.insert(0, 1, ':');
    }
}

void XServer::stop(int number) {
    server_.stop(number, 10s);
}

SoundServer::SoundServer() : runtime_(dir_.path() / "runtime") {
    fs::create_directories(runtime_ / "pulse");
    fs::permissions(runtime_, fs::perms::owner_all);
    fs::permissions(runtime_ / "pulse", fs::perms::owner_all);
}

std::vector<std::string> SoundServer::environment() const {
    std::vector<std::string> changes = {"HOME=" + dir_.path().string(),
                                        "XDG_RUNTIME_DIR=" + runtime_.string()};
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        if (variable.rfind("PULSE_", 0) == 0)
            changes.push_back(variable.substr(0, variable.find('=')));
    }
    return changes;
}

bool SoundServer::start() {
    server_.reset();
    const fs::path log = dir_.path() / "pulseaudio.log";
    server_.emplace(
        std::vector<std::string>{
            "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
            "--disable-shm", "--log-level=info", "-L",
            "module-null-sink sink_name=velmora_test rate=48000", "-L",
            "module-native-protocol-unix socket=" + socket().string() + " auth-anonymous=1"},
        environment(), ChildOutputs{.out = log, .err = log});
    for (int waited = 0; waited < 500 && server_->running(); ++waited) {
        if (Listening(socket())) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

void SoundServer::signal(int number) {
    if (server_) server_->signal(number);
}

void SoundServer::stop(int number) {
    if (server_) server_->stop(number, 10s);
}

std::string SoundServer::pactl(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"pactl", "--server=" + address()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    Child pactl(command, environment(), {.err = "/dev/null"});
    pactl.wait(5s);
    return pactl.out();
}

std::string SoundServer::log() const {
    return ReadText(dir_.path() / "pulseaudio.log");
}

// JACK 1 keeps a table of eight servers and frees an entry only for a server
// of the same name: a few names used again keep it from filling up with the
// servers of tests that crashed.
JackServer::JackServer() {
    const fs::path log = dir_.path() / "jackd.log";
    for (int attempt = 0; attempt < 8 && !running_; ++attempt) {
        // Without the right to real-time scheduling, the second try is without it.
        const bool realtime = attempt % 2 == 0;
        name_ = "velmora-test-" + std::to_string(attempt / 2);
        server_.emplace(
            std::vector<std::string>{"jackd", "--name", name_,
                                     realtime ? "--realtime" : "--no-realtime", "--timeout", "5000",
                                     "-d", "dummy", "-r", "48000", "-p", "64"},
            std::vector<std::string>{"JACK_NO_START_SERVER=1", "JACK_DEFAULT_SERVER=" + name_},
            ChildOutputs{.out = log, .err = log});
        const fs::path socket =
            fs::path("/dev/shm") / ("jack-" + std::to_string(getuid())) / name_ / "jack_0";
        // The socket may be another test's server of that name, which ours
        // then gives way to: ours is the one that has loaded its driver.
        for (int waited = 0; waited < 500 && server_->running() && !running_; ++waited) {
            running_ = ReadText(log).find("creating dummy driver") != std::string::npos &&
                       Listening(socket) && server_->running();
            if (!running_) std::this_thread::sleep_for(20ms);
        }
    }
}

std::string JackServer::log() const {
    return ReadText(dir_.path() / "jackd.log");
}

}  // namespace velmora::testing
