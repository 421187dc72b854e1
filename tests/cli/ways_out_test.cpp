// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// However the program ends, the notes it sounds are released, and a window
// system it cannot use is told in one line.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>

#include "cli/program_support.h"

namespace velmora::testing {
namespace {

using namespace std::chrono_literals;

// The program on `display`, logging its MIDI, with a run's first note sounding.
struct Playing {
    explicit Playing(const std::string& display)
        : program(QuietVelmora({"--midi-log", (log.path() / "midi.txt").string()}),
                  {"DISPLAY=" + display}),
          x(display),
          window(WaitForWindow(x, program)) {
        started = ClickPlay(x, window, log.path() / "midi.txt");
        EXPECT_TRUE(started) << "no note after clicking PLAY:\n" << midi();
    }
    std::string midi() const { return ReadText(log.path() / "midi.txt"); }

    TempDir log;
    Child program;
    XClient x;
    std::uint32_t window;
    bool started = false;
};

TEST(WaysOut, TheDisplayGoingAwayReleasesTheSoundingNotes) {
    XServer own;
    ASSERT_FALSE(own.display().empty()) << "Xvfb did not start";
    Playing playing(own.display());
    ASSERT_TRUE(playing.started);
    own.stop(SIGKILL);
    EXPECT_EQ(playing.program.wait(10s), 1) << playing.program.err();
    EXPECT_TRUE(NotesLeftSounding(playing.midi()).empty()) << playing.midi();
}

TEST(WaysOut, AWindowDestroyedFromOutsideEndsTheProgramAsClosingIt) {
    Playing playing(std::getenv("DISPLAY"));
    ASSERT_TRUE(playing.started);
    playing.x.destroy(playing.window);
    EXPECT_EQ(playing.program.wait(10s), 0) << playing.program.err();
    EXPECT_TRUE(NotesLeftSounding(playing.midi()).empty()) << playing.midi();
    EXPECT_EQ(playing.program.err(), "");
}

TEST(WaysOut, AWindowSystemThatCannotBeUsedIsOneLineAndStatusOne) {
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> environment;
        std::string named;
    };
    const Case cases[] = {
        {{}, {"DISPLAY=:65000"}, "could not connect to display :65000"},
        {{"-platform", "bogus"}, {}, "\"bogus\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        Child program(Velmora(c.arguments), c.environment);
        EXPECT_EQ(program.wait(10s), 1);
        EXPECT_EQ(Count(program.err(), "\n"), 1) << program.err();
        EXPECT_EQ(program.err().rfind("velmora: cannot open the window: ", 0), 0u) << program.err();
        EXPECT_NE(program.err().find(c.named), std::string::npos) << program.err();
    }
}

}  // namespace
}  // namespace velmora::testing
