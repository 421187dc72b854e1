// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// How soon the window is up after the trainer is started, and how much memory
// it holds once settled: the real program on a private X server, started
// again and again (warm: the first start is not counted).

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "figures.h"
#include "testing/servers.h"

namespace {

using namespace std::chrono_literals;
using velmora::testing::Child;

constexpr int kStarts = 15;

// Resident set of a process in MB, from /proc; 0 when it cannot be read.
double ResidentMb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0.0;
}

}  // namespace

int main() {
    velmora::testing::XServer x;
    if (x.display().empty()) {
        std::fprintf(stderr, "startup_bench: Xvfb could not be started\n");
        return 1;
    }
    velmora::testing::TempDir runtime;
    const std::vector<std::string> environment = {
        "DISPLAY=" + x.display(), "XDG_RUNTIME_DIR=" + runtime.path().string(),
        // A practice journal and remembered choices of its own, not the user's.
        "XDG_DATA_HOME=" + runtime.path().string(), "XDG_CONFIG_HOME=" + runtime.path().string(),
        "VELMORA_REPORT_FIRST_PAINT=1", "QT_QPA_PLATFORM=xcb"};
    const std::string binary = VELMORA_BINARY;

    std::vector<double> launchMs;
    for (int start = 0; start <= kStarts; ++start) {
        const double before = velmora::bench::MonotonicSeconds();
        Child program({binary}, environment, {.err = runtime.path() / "stderr.txt"});
        // Its only output, written at once: the line comes whole.
        const bool painted = program.waitForStdout("first-paint ", 20s);
        if (painted && start > 0) {
            const std::string& out = program.out();
            const double paint = std::stod(out.substr(out.find("first-paint ") + 12));
            launchMs.push_back((paint - before) * 1000.0);
        }
        program.stop(SIGTERM, 10s);
        if (!painted) {
            std::fprintf(stderr, "startup_bench: the window was never painted\n");
            return 1;
        }
    }
    std::printf("launch to first paint (ms):");
    for (double ms : launchMs) std::printf(" %.1f", ms);
    std::printf("\n");
    velmora::bench::PrintFigure("Launch to window shown (warm)",
                                velmora::bench::Format("%.0f ms", velmora::bench::Median(launchMs)),
                                "<= 120 ms",
                                "startup_bench: median of " + std::to_string(kStarts) +
                                    " starts on Xvfb, from spawn to the end of the first paint");

    // Memory once the trainer has settled, SoundFont loaded.
    std::vector<double> residentMb;
    for (int run = 0; run < 3; ++run) {
        Child program({binary}, environment, {.err = runtime.path() / "stderr.txt"});
        std::this_thread::sleep_for(5s);
        residentMb.push_back(ResidentMb(program.pid()));
        program.stop(SIGTERM, 10s);
    }
    std::printf("resident memory 5 s after start (MB): %.1f %.1f %.1f\n", residentMb[0],
                residentMb[1], residentMb[2]);
    // The richer default font may take a little more: its instruments are larger.
    std::error_code error;
    const std::string font =
        std::filesystem::canonical("/usr/share/sounds/sf2/default-GM.sf2", error).stem().string();
    velmora::bench::PrintFigure(
        "Resident memory 5 s after start, " + font,
        velmora::bench::Format("%.1f MB", velmora::bench::Median(residentMb)),
        font == "FluidR3_GM" ? "<= 75 MB" : "<= 60 MB",
        "startup_bench: VmRSS of velmora, default SoundFont, median of 3 starts");
    return 0;
}
