// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "cli/program_support.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <deque>
#include <optional>
#include <sstream>

#include "model/window_design.h"

namespace velmora::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::vector<std::string> Velmora(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), VELMORA_BINARY);
    return arguments;
}

std::vector<std::string> QuietVelmora(const std::vector<std::string>& arguments) {
    std::vector<std::string> quiet = {"--audio-driver", "alsa", "-o", "audio.alsa.device=null"};
    quiet.insert(quiet.end(), arguments.begin(), arguments.end());
    return Velmora(quiet);
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

std::set<std::pair<int, int>> NotesLeftSounding(const std::string& log) {
    std::set<std::pair<int, int>> sounding;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        unsigned status = 0;
        unsigned key = 0;
        unsigned velocity = 0;
        if (std::sscanf(line.c_str(), "%*s %x %x %x", &status, &key, &velocity) != 3) continue;
        const std::pair<int, int> note{static_cast<int>(status & 0x0F), static_cast<int>(key)};
        if ((status & 0xF0) == 0x90 && velocity > 0) {
            sounding.insert(note);
        } else if ((status & 0xF0) == 0x80 || (status & 0xF0) == 0x90) {
            sounding.erase(note);
        }
    }
    return sounding;
}

std::uint32_t WaitForWindow(XClient& x, Child& program) {
    std::uint32_t window = 0;
    WaitFor(
        [&] {
            window = x.windowOf(program.pid());
            return window != 0 || !program.running();
        },
        20s);
    EXPECT_NE(window, 0u) << program.err();
    return window;
}

bool ClickPlay(XClient& x, std::uint32_t window, const std::function<bool()>& playing) {
    const ControlDesign& frame = DesignOf("Frame5");
    const ControlDesign& play = DesignOf("cmdPlay");
    const Place& at = play.place;
    // The window starts at the zoom of the desktop's text, its width the
    // design's scaled.
    const int width = x.width(window);
    const double zoom = width > 0 ? double(width) * kTwipsPerPixel / kClientWidthTwips : 1.0;
    const int centreX =
        static_cast<int>((frame.place.left + at.left + at.width / 2) * zoom / kTwipsPerPixel);
    const int centreY =
        static_cast<int>((frame.place.top + at.top + at.height / 2) * zoom / kTwipsPerPixel);
    // The menu bar above the window's design is as high as the style makes
    // it: the clicks try a few heights, from below the least one up.
    for (int menuBar = 10; menuBar <= 50; menuBar += 8) {
        x.click(window, centreX, menuBar + centreY);
        if (WaitFor(playing, 1s)) return true;
    }
    return false;
}

bool ClickPlay(XClient& x, std::uint32_t window, const fs::path& log) {
    return ClickPlay(x, window, [&] { return !NotesLeftSounding(ReadText(log)).empty(); });
}

}  // namespace velmora::testing

namespace {

// The program tests run the trainer on a real X server, as on a desktop: one
// of their own for the whole test program.
class XServerForTheTests final : public ::testing::Environment {
public:
    void SetUp() override {
        // The program's practice journal and remembered sound choices go in
        // folders of the tests' own, never the user's.
        for (const char* folder : {"XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
            setenv(folder, folders_.emplace_back().path().c_str(), 1);
        }
        unsetenv("QT_QPA_PLATFORM");
        server_.emplace();
        ASSERT_FALSE(server_->display().empty())
            << "Xvfb is needed for these tests (Debian package xvfb)";
        setenv("DISPLAY", server_->display().c_str(), 1);
    }

    void TearDown() override {
        server_.reset();
        folders_.clear();
    }

private:
    std::deque<velmora::testing::TempDir> folders_;
    std::optional<velmora::testing::XServer> server_;
};

const auto* const kXServer = ::testing::AddGlobalTestEnvironment(new XServerForTheTests);

}  // namespace
