// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// Whatever the sound server does, the program neither hangs nor stays silent
// for good, and says what is wrong once.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>

#include "cli/program_support.h"

namespace velmora::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The streams playing into the server, one line each.
std::string SinkInputs(SoundServer& server) {
    return server.pactl({"list", "short", "sink-inputs"});
}

// Killed and started again in the middle of a run: told once on the
// terminal, and played through again once back, without a restart.
TEST(SoundServerProgram, ALostServerIsToldAndUsedAgainOnceBack) {
    SoundServer server;
    ASSERT_TRUE(server.start()) << server.log();
    TempDir dir;
    const auto log = dir.path() / "midi.txt";
    Child program(Velmora({"--midi-log", log.string()}),
                  {"XDG_RUNTIME_DIR=" + server.runtimeDir().string()});
    XClient x(std::getenv("DISPLAY"));
    const std::uint32_t window = WaitForWindow(x, program);
    ASSERT_NE(window, 0u) << program.err();
    ASSERT_TRUE(WaitFor([&] { return !SinkInputs(server).empty(); }, 10s))
        << "the program does not play through the server: " << program.err();
    ASSERT_TRUE(ClickPlay(x, window, log)) << ReadText(log);

    server.stop(SIGKILL);
    const auto killed = Clock::now();
    EXPECT_TRUE(program.waitForStderr("\n", 5s));
    EXPECT_LT(SecondsSince(killed), 2.0);
    EXPECT_EQ(program.err(), "velmora: No sound: the connection to the sound server was lost\n");

    ASSERT_TRUE(server.start());
    const auto restarted = Clock::now();
    EXPECT_TRUE(WaitFor([&] { return !SinkInputs(server).empty(); }, 10s));
    EXPECT_LT(SecondsSince(restarted), 5.0);
    program.collectFor(500ms);
    EXPECT_TRUE(program.running());
    EXPECT_EQ(program.stop(SIGTERM, 10s), 0);
    EXPECT_EQ(Count(program.err(), "\n"), 1) << program.err();
    EXPECT_TRUE(NotesLeftSounding(ReadText(log)).empty()) << ReadText(log);
}

// A server that takes connections and never answers: quitting does not wait
// for it, and the program says there is no sound within seconds.
TEST(SoundServerProgram, AServerThatNeverAnswersHoldsNothingUp) {
    SoundServer server;
    ASSERT_TRUE(server.start()) << server.log();
    server.signal(SIGSTOP);
    const std::vector<std::string> environment = {"XDG_RUNTIME_DIR=" +
                                                  server.runtimeDir().string()};
    {
        Child program(Velmora(), environment);
        XClient x(std::getenv("DISPLAY"));
        ASSERT_NE(WaitForWindow(x, program), 0u) << program.err();
        const auto quitting = Clock::now();
        EXPECT_EQ(program.stop(SIGTERM, 10s), 0);
        EXPECT_LT(SecondsSince(quitting), 1.0);
        EXPECT_EQ(program.err(), "") << "only problems are told, and none was found yet";
    }
    Child program(Velmora(), environment);
    const auto start = Clock::now();
    ASSERT_TRUE(program.waitForStderr("\n", 20s)) << program.err();
    EXPECT_LT(SecondsSince(start), 6.0);
    EXPECT_NE(program.err().find("the sound server does not answer"), std::string::npos)
        << program.err();
    const auto quitting = Clock::now();
    EXPECT_EQ(program.stop(SIGTERM, 10s), 0);
    EXPECT_LT(SecondsSince(quitting), 1.0);
    EXPECT_EQ(Count(program.err(), "\n"), 1) << program.err();
}

}  // namespace
}  // namespace velmora::testing
