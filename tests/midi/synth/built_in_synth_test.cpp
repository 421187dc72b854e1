// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/synth/built_in_synth.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "midi/messages.h"
#include "support/sound_test_support.h"
#include "testing/helpers.h"

namespace velmora {
namespace {

using soundtest::StderrCapture;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using testing::TempDir;

SoundOptions SoundOptionsOf(std::optional<std::string> soundFont,
                            std::optional<std::string> audioDriver,
                            std::vector<std::pair<std::string, std::string>> settings = {}) {
    SoundOptions options;
    options.soundFont = std::move(soundFont);
    options.audioDriver = std::move(audioDriver);
    options.synthSettings = std::move(settings);
    return options;
}

// Whatever goes wrong, the output says so in one line and stays harmless.
void ExpectQuietFailure(BuiltInSynth& out, const std::string& expected) {
    StderrCapture stderrCapture;
    EXPECT_FALSE(out.open());
    EXPECT_FALSE(out.isWorking());
    EXPECT_THAT(out.description(), StartsWith("No sound: "));
    EXPECT_THAT(out.description(), HasSubstr(expected));
    EXPECT_THAT(out.description(), Not(HasSubstr("\n")));
    out.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    out.Beep(440, 200);
    out.close();
    out.close();
    EXPECT_EQ(stderrCapture.text(), "");
}

// Each kind of bad file has its message in SoundFontLocatorTest; here, that
// it comes out whole and quietly.
TEST(BuiltInSynthTest, ABadSoundFontIsReportedNotLoaded) {
    TempDir dir;
    const std::string corrupt = dir.write("corrupt.sf2", "RIFF not a sound at all").string();
    BuiltInSynth out(SoundOptionsOf(corrupt, std::nullopt));
    ExpectQuietFailure(out, "");
    EXPECT_EQ(out.description(), "No sound: '" + corrupt + "' is not a SoundFont");
}

TEST(BuiltInSynthTest, AWrongSettingIsReported) {
    BuiltInSynth unknown(SoundOptionsOf(std::nullopt, std::nullopt,
                                        {{"synth.gain", "0.5"}, {"synth.reverb.bogus", "1"}}));
    ExpectQuietFailure(unknown, "unknown synthesizer setting 'synth.reverb.bogus'");
}

TEST(BuiltInSynthTest, AnAudioDeviceThatCannotOpenIsReportedQuietly) {
    BuiltInSynth out(SoundOptionsOf(std::nullopt, "alsa", {{"audio.alsa.device", "hw:99"}}));
    ExpectQuietFailure(out, "audio driver 'alsa' could not be started");
    EXPECT_THAT(out.description(), HasSubstr("hw:99"));
    // Only the driver asked for is tried.
    EXPECT_THAT(out.description(), Not(HasSubstr("pulseaudio")));
}

// "pulseaudio" tries our own client of the server first, then FluidSynth's
// driver for it; the first one's reason is the one given. "pulse-stream" is
// our own client alone.
TEST(BuiltInSynthTest, AnAbsentSoundServerIsReportedQuietly) {
    TempDir dir;
    const std::string server = "unix:" + (dir.path() / "native").string();
    for (const char* name : {"pulseaudio", "pulse-stream"}) {
        BuiltInSynth out(SoundOptionsOf(std::nullopt, name, {{"audio.pulseaudio.server", server}}));
        ExpectQuietFailure(out, "audio driver '" + std::string(name) +
                                    "' could not be started: no connection to the sound server: ");
    }
}

// No audio output here, on purpose: the synthesizer runs all the same, and
// its gain is what the volume says unless the command line gave one.
TEST(BuiltInSynthTest, TheVolumeSetsTheGainUnlessTheCommandLineGaveOne) {
    using namespace std::chrono_literals;
    SoundOptions options = SoundOptionsOf(std::nullopt, "alsa", {{"audio.alsa.device", "hw:99"}});
    options.volume = 50;
    StderrCapture stderrCapture;
    BuiltInSynth out(options, SynthUse::BeepOnly);
    EXPECT_FALSE(out.open());
    EXPECT_EQ(out.gain(), 0.25);
    out.setVolume(200);
    EXPECT_TRUE(testing::WaitFor([&] { return out.gain() == 1.0; }, 5s)) << out.gain();
    out.setVolume(-10);
    EXPECT_TRUE(testing::WaitFor([&] { return out.gain() == 0.0; }, 5s)) << out.gain();
    out.close();

    options.synthSettings.emplace_back("synth.gain", "0.3");
    BuiltInSynth given(options, SynthUse::BeepOnly);
    given.setVolume(150);  // before it opens, as while it opens in the background
    EXPECT_FALSE(given.open());
    EXPECT_NEAR(given.gain(), 0.3, 1e-6);
    given.close();
    EXPECT_EQ(stderrCapture.text(), "");
}

TEST(BuiltInSynthTest, AnUnknownAudioDriverNamesTheOnesThereAre) {
    BuiltInSynth out(SoundOptionsOf(std::nullopt, "speakers"));
    ExpectQuietFailure(out, "unknown audio driver 'speakers'");
    EXPECT_THAT(out.description(), HasSubstr("alsa"));
    EXPECT_THAT(out.description(), HasSubstr("pulse-stream"));
}

}  // namespace
}  // namespace velmora
