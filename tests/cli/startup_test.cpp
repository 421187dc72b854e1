// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include <gtest/gtest.h>
#include <signal.h>

#include "cli/program_support.h"

namespace velmora::testing {
namespace {

using namespace std::chrono_literals;

// --help is checked against the manual page (Install.ManualMatchesHelp).
TEST(CommandLineProgram, VersionAndBadOptions) {
    Child version(Velmora({"--version"}));
    EXPECT_EQ(version.wait(10s), 0);
    EXPECT_EQ(version.out().rfind("velmora ", 0), 0u);

    Child bad(Velmora({"--no-journal", "--journal", "j.sqlite"}));
    EXPECT_EQ(bad.wait(10s), 2);
    EXPECT_NE(bad.err().find("'--no-journal' cannot go with '--journal'"), std::string::npos);
    EXPECT_EQ(bad.out(), "");
}

TEST(CommandLineProgram, ListsTheBuiltInSynthesizerFirst) {
    Child list(Velmora({"--list-midi-outputs"}));
    EXPECT_EQ(list.wait(10s), 0);
    EXPECT_EQ(list.out().rfind("0: Built-in synthesizer\n", 0), 0u) << list.out();
    EXPECT_EQ(list.err(), "");
}

// The trainer must start and keep running without sound, say what is wrong in
// one line, and end normally when asked.
TEST(CommandLineProgram, RunsWithoutSoundAndSaysWhyInOneLine) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {Velmora({"--soundfont", "/nonexistent/piano.sf2"}), "/nonexistent/piano.sf2"},
        {Velmora({"--audio-driver", "alsa", "-o", "audio.alsa.device=hw:99"}), "No sound"},
        {Velmora({"--midi-out", "no-such-port-anywhere"}), "no-such-port-anywhere"},
        {QuietVelmora({"--midi-in", "no-such-keyboard"}),
         "MIDI input: no port matches 'no-such-keyboard' ("},
    };
    for (const auto& [command, problem] : cases) {
        SCOPED_TRACE(problem);
        Child program(command);
        ASSERT_TRUE(program.waitForStderr("\n", 20s)) << "no message; stderr: " << program.err();
        program.collectFor(1s);
        EXPECT_TRUE(program.running()) << program.err();
        EXPECT_EQ(program.stop(SIGTERM, 10s), 0);
        EXPECT_EQ(Count(program.err(), "\n"), 1) << program.err();
        EXPECT_EQ(program.err().rfind("velmora: ", 0), 0u) << program.err();
        EXPECT_NE(program.err().find(problem), std::string::npos) << program.err();
    }
}

}  // namespace
}  // namespace velmora::testing
