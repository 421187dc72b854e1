#pragma once

// Helpers the benchmarks share: child processes (an X server, a sound server,
// the trainer itself), temporary folders and figure lines.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace velmora::bench {

// One figure line for scripts/run-benchmarks.
void PrintFigure(const std::string& what, const std::string& value, const std::string& goal,
                 const std::string& how);
std::string Format(const char* format, double value);

double MonotonicSeconds();
double Median(std::vector<double> values);
double Percentile(std::vector<double> values, double fraction);

// A folder of its own, removed with everything in it when destroyed.
class TempDir {
public:
    explicit TempDir(const std::string& prefix);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A started program, stopped (SIGTERM, then SIGKILL) and reaped when destroyed.
class Child {
public:
    // `environment` entries NAME=value replace or add to this process's own.
    // Standard output goes to `output` (a pipe when empty: see readLine),
    // standard error to `errors` (inherited when empty).
    Child(const std::vector<std::string>& command, const std::vector<std::string>& environment,
          const std::filesystem::path& output = {}, const std::filesystem::path& errors = {});
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // The next line of standard output, without its newline; false at the end
    // or when nothing came within `limit`.
    bool readLine(std::string& line, std::chrono::milliseconds limit);
    // Exit status, or -1 when it had to be killed.
    int stop();

private:
    pid_t pid_ = -1;
    int outFd_ = -1;
    std::string buffered_;
};

// A private Xvfb for the time of the benchmark; DISPLAY names it.
class XServer {
public:
    XServer();
    bool running() const { return !display_.empty(); }
    const std::string& display() const { return display_; }

private:
    std::unique_ptr<Child> server_;
    std::string display_;
};

// A private PulseAudio server playing into a null sink; its address is
// "unix:<socket>". Needs the pulseaudio program.
class SoundServer {
public:
    SoundServer();
    bool running() const { return running_; }
    std::string address() const { return "unix:" + (dir_.path() / "native").string(); }
    std::string log() const;

private:
    TempDir dir_{"velmora-bench-pulse"};
    std::unique_ptr<Child> server_;
    bool running_ = false;
};

}  // namespace velmora::bench
