// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/setup/starting_sound.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using ::testing::HasSubstr;

// A system with one MIDI port, two audio outputs and one good SoundFont.
SoundChecks FakeSystem() {
    return {[] { return std::vector<std::string>{"Piano:Piano MIDI 1 20:0"}; },
            [] {
                return std::vector<std::string>{"pulseaudio", "alsa"};
            },
            [](const std::string& path) {
                return path == "/fonts/good.sf2" ? std::string() : "SoundFont gone";
            }};
}

SoundOptions Remembered(const char* output, const char* font, const char* driver) {
    SoundOptions options;
    if (output) options.midiOut = output;
    if (font) options.soundFont = font;
    if (driver) options.audioDriver = driver;
    return options;
}

TEST(StartingSoundTest, TheCommandLineOverridesEachRememberedChoice) {
    const SoundOptions remembered = Remembered("Piano MIDI 1", "/fonts/good.sf2", "alsa");
    const StartingSound plain = ChooseStartingSound({}, remembered, FakeSystem());
    EXPECT_EQ(plain.options.midiOut, "Piano MIDI 1");
    EXPECT_EQ(plain.options.soundFont, "/fonts/good.sf2");
    EXPECT_EQ(plain.options.audioDriver, "alsa");
    EXPECT_EQ(plain.problem, "");

    SoundOptions given;
    given.soundFont = "/typo.sf2";  // a choice made now is taken as it is
    given.midiLog = "/tmp/log";
    const StartingSound over = ChooseStartingSound(given, remembered, FakeSystem());
    EXPECT_EQ(over.options.soundFont, "/typo.sf2");
    EXPECT_EQ(over.options.midiOut, "Piano MIDI 1");
    EXPECT_EQ(over.options.midiLog, "/tmp/log");
    EXPECT_EQ(over.problem, "");
}

TEST(StartingSoundTest, ABrokenRememberedChoiceFallsBackToTheBuiltInDefaults) {
    struct Case {
        SoundOptions remembered;
        const char* why;
    } cases[] = {
        {Remembered("Unplugged Synth", "/fonts/good.sf2", nullptr), "'Unplugged Synth'"},
        {Remembered("0", "/fonts/deleted.sf2", "alsa"), "SoundFont gone"},
        {Remembered(nullptr, nullptr, "speakers"), "'speakers'"},
    };
    for (const Case& c : cases) {
        SoundOptions remembered = c.remembered;
        remembered.volume = 60;
        const StartingSound start = ChooseStartingSound({}, remembered, FakeSystem());
        EXPECT_EQ(start.options.volume, 60) << "the volume is no part of what broke";
        EXPECT_FALSE(start.options.midiOut) << c.why;
        EXPECT_FALSE(start.options.soundFont) << c.why;
        EXPECT_FALSE(start.options.audioDriver) << c.why;
        EXPECT_THAT(start.problem, HasSubstr(c.why));
        EXPECT_THAT(start.problem, HasSubstr("built-in synthesizer with the default SoundFont"));
    }
    // What the command line gives stays, whatever was remembered.
    SoundOptions given;
    given.audioDriver = "pulseaudio";
    const StartingSound start =
        ChooseStartingSound(given, Remembered("Unplugged Synth", nullptr, nullptr), FakeSystem());
    EXPECT_EQ(start.options.audioDriver, "pulseaudio");
    EXPECT_FALSE(start.options.midiOut);
    EXPECT_FALSE(start.problem.empty());
}

}  // namespace
}  // namespace velmora
