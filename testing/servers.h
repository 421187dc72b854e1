// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

// Servers of our own for the trainer to meet in a test or a benchmark, as on
// a desktop, without touching the user's own.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "testing/child_process.h"
#include "testing/temp_dir.h"

namespace velmora::testing {

// An Xvfb, stopped when destroyed.
class XServer {
public:
    XServer();

    // ":<number>"; empty when it did not start.
    const std::string& display() const { return display_; }
    // Ends it with `number` (SIGKILL: as if it crashed).
    void stop(int number);

private:
    Child server_;
    std::string display_;
};

// A PulseAudio server playing into a null sink, "velmora_test", whose
// monitor records what is played. A program finds it by address(), or as
// its session's server with runtimeDir() as XDG_RUNTIME_DIR. Needs the
// pulseaudio and pactl programs. Stopped when destroyed.
class SoundServer {
public:
    SoundServer();

    // Starts it, or again after stop(); true once it takes connections.
    bool start();
    // SIGSTOP: a server that takes connections and never answers.
    void signal(int number);
    // Ends it with `number`. SIGKILL, as a crash would: no goodbye to the
    // clients, the socket left behind.
    void stop(int number);

    const std::filesystem::path& runtimeDir() const { return runtime_; }
    std::filesystem::path socket() const { return runtime_ / "pulse" / "native"; }
    std::string address() const { return "unix:" + socket().string(); }
    // Its own home and runtime folder, no session's server named: for the
    // server and for its tools (parec, pactl).
    std::vector<std::string> environment() const;
    // What `pactl <arguments>` prints about this server; what it had printed
    // when it did not finish within 5 s.
    std::string pactl(const std::vector<std::string>& arguments);
    // The server's own messages since it was last started.
    std::string log() const;

private:
    TempDir dir_;
    std::filesystem::path runtime_;
    std::optional<Child> server_;
};

// A JACK server (JACK 1's jackd) on its dummy driver, 64 frames a period at
// 48 kHz, under a name of its own: a client reaches it with that name in
// JACK_DEFAULT_SERVER. Its threads and its clients' run at a real-time
// priority where the system allows it, as on a musician's machine; on a busy
// machine a client that falls behind would otherwise be dropped from the
// server's graph. Stopped when destroyed.
class JackServer {
public:
    JackServer();

    // False when there is no jackd, or it did not come up.
    bool running() const { return running_; }
    const std::string& name() const { return name_; }
    std::string log() const;

private:
    TempDir dir_;
    std::string name_;
    std::optional<Child> server_;
    bool running_ = false;
};

}  // namespace velmora::testing
