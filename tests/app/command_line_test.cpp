// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "app/command_line.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(CommandLine, ReadsEveryOptionInBothSpellings) {
    const ParseResult r =
        ParseCommandLine({"--soundfont", "/a.sf2", "--audio-driver=pulseaudio", "-o",
                          "audio.periods=4", "-o", "synth.gain=0.5", "--midi-out", "Through",
                          "--midi-log=/tmp/log.txt", "--midi-in=Keystation"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.sound.soundFont, "/a.sf2");
    EXPECT_EQ(r.options.sound.audioDriver, "pulseaudio");
    EXPECT_EQ(r.options.sound.midiOut, "Through");
    EXPECT_EQ(r.options.sound.midiLog, "/tmp/log.txt");
    EXPECT_EQ(r.options.midiIn, "Keystation");
    EXPECT_EQ(r.options.sound.synthSettings, (std::vector<std::pair<std::string, std::string>>{
                                                 {"audio.periods", "4"}, {"synth.gain", "0.5"}}));

    EXPECT_TRUE(ParseCommandLine({"--list-midi-outputs"}).options.listMidiOutputs);
    EXPECT_TRUE(ParseCommandLine({"--list-midi-inputs"}).options.listMidiInputs);
    EXPECT_TRUE(ParseCommandLine({"-h"}).options.help);
    EXPECT_TRUE(ParseCommandLine({"--version"}).options.version);
}

TEST(CommandLine, HandsTheToolkitItsOwnOptions) {
    const ParseResult r = ParseCommandLine({"-platform", "offscreen", "-reverse", "-F", "x.sf2"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.toolkitArguments,
              (std::vector<std::string>{"-platform", "offscreen", "-reverse"}));
    EXPECT_EQ(r.options.sound.soundFont, "x.sf2");
}

TEST(CommandLine, BadInputIsAClearError) {
    struct Case {
        std::vector<std::string> arguments;
        std::string error;
    };
    for (const Case& c : {
             Case{{"--frobnicate"}, "unknown option '--frobnicate'"},
             Case{{"--soundfont"}, "option '--soundfont' needs a value"},
             Case{{"-o", "audio.periods"}, "option '-o' wants name=value, got 'audio.periods'"},
             Case{{"-o", "=4"}, "option '-o' wants name=value, got '=4'"},
             Case{{"--help=yes"}, "option '--help' takes no value"},
             Case{{"song.mid"}, "unexpected argument 'song.mid'"},
             Case{{"-platform"}, "option '-platform' needs a value"},
             Case{{"--midi-in="}, "option '--midi-in' wants a port's number or part of its name"},
             // Whatever the user typed, the message stays on one line.
             Case{{"--bad\x1b[2J"}, "unknown option '--bad\\x1b[2J'"},
             Case{{"-o", "synth\ngain"}, "option '-o' wants name=value, got 'synth\\ngain'"},
         }) {
        EXPECT_EQ(ParseCommandLine(c.arguments).error, c.error);
    }
}

TEST(CommandLine, UsageNamesEveryOption) {
    const std::string usage = UsageText("velmora");
    for (const char* option :
         {"--soundfont", "--audio-driver", "-o,", "--midi-out", "--list-midi-outputs", "--midi-log",
          "--midi-in", "--list-midi-inputs", "--help", "--version"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

TEST(CommandLine, JournalOptions) {
    const ParseResult r = ParseCommandLine({"--journal=/j.sqlite", "--export-journal", "a.csv"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.journal, "/j.sqlite");
    EXPECT_EQ(r.options.exportJournal, "a.csv");
    EXPECT_TRUE(ParseCommandLine({"--no-journal"}).options.noJournal);
    EXPECT_NE(ParseCommandLine({"--journal="}).error, "");
    EXPECT_NE(ParseCommandLine({"--no-journal", "--export-journal", "a.csv"}).error, "");
    EXPECT_NE(ParseCommandLine({"--no-journal=1"}).error, "");
}

}  // namespace
}  // namespace velmora
