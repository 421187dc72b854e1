// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/synth/synth_engine.h"

#include <fluidsynth.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>
#include <vector>

#include "midi/messages.h"
#include "support/sound_test_support.h"
#include "support/test_locale.h"

namespace velmora {
namespace {

using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using namespace soundtest;
using testing::TempDir;

class SynthEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_NEEDS_TEST_SOUNDFONT();
        ASSERT_EQ(engine_.start(), "");
        ASSERT_EQ(engine_.loadSoundFont(kTestSoundFont), "");
        engine_.send(ComposeShortMessage(kProgramChangeStatus, 0, 0, 0));  // piano
    }
    int frames(double seconds) const { return int(seconds * engine_.sampleRate()); }
    std::vector<float> render(double seconds) { return RenderMono(engine_, frames(seconds)); }

    SynthEngine engine_;
};

// Note-on with velocity 0 is the usual note-off; both must end the note.
TEST_F(SynthEngineTest, NotesSoundAtTheirPitchAndDieAwayAfterRelease) {
    EXPECT_EQ(engine_.sampleRate(), 48000.0);
    struct Case {
        int key;
        double hz;
        std::uint8_t offStatus;
    };
    for (const Case& c : {Case{60, 261.63, kNoteOffStatus}, Case{69, 440.0, kNoteOnStatus}}) {
        SCOPED_TRACE(c.key);
        engine_.send(ComposeShortMessage(kNoteOnStatus, 0, c.key, 100));
        render(0.15);  // past the hammer's attack
        const std::vector<float> held = render(0.35);
        engine_.send(ComposeShortMessage(c.offStatus, 0, c.key, 0));
        const std::vector<float> after = render(1.2);
        const std::vector<float> tone(held.begin(), held.begin() + frames(0.1));
        EXPECT_NEAR(EstimatePitch(tone, engine_.sampleRate()), c.hz, c.hz * 0.01);
        const double heldRms = Rms(held, 0, held.size());
        const double laterRms = Rms(after, frames(0.9), frames(1.1));
        EXPECT_GT(heldRms, 1e-3);
        EXPECT_LT(laterRms, heldRms / 30) << "held " << heldRms << ", a second later " << laterRms;
    }
}

// No louder than the trainer's notes, nor much softer.
TEST_F(SynthEngineTest, BeepIsAShortA440ThenSilence) {
    engine_.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 127));
    const double noteRms = Rms(render(0.2), 0, frames(0.2));
    engine_.send(ComposeShortMessage(kNoteOffStatus, 0, 69, 0));
    render(4.0);
    engine_.beep(440, 200);
    const std::vector<float> out = render(0.6);
    const std::vector<float> tone(out.begin() + frames(0.05), out.begin() + frames(0.15));
    EXPECT_NEAR(EstimatePitch(tone, engine_.sampleRate()), 440.0, 4.4);
    EXPECT_NEAR(SoundingSeconds(out, engine_.sampleRate()), 0.2, 0.02);
    EXPECT_LT(Rms(out, frames(0.25), frames(0.6)), 1e-6);
    // The first sample starts from silence: the fade avoids a click.
    EXPECT_LT(std::fabs(out.front()), 1e-4);
    const double beepRms = Rms(out, 0, frames(0.2));
    EXPECT_GT(beepRms, noteRms / 4);
    EXPECT_LT(beepRms, noteRms);
}

// Silence is not rendered once every tail has died away: a long reverb tail
// must still end smoothly, and a note after a long silence must sound at once.
TEST(SynthEngineSilenceTest, StopsRenderingOnlyAfterTheTailAndStartsAgainAtOnce) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    SynthEngine engine;
    ASSERT_EQ(engine.applySetting("synth.reverb.room-size", "0.8"), "");
    ASSERT_EQ(engine.applySetting("synth.reverb.level", "1.0"), "");
    ASSERT_EQ(engine.start(), "");
    ASSERT_EQ(engine.loadSoundFont(kTestSoundFont), "");
    engine.send(ComposeShortMessage(0xB0, 0, 91, 127));  // all of it to the reverb
    engine.send(ComposeShortMessage(kNoteOnStatus, 0, 72, 120));
    RenderMono(engine, 2400);
    engine.send(ComposeShortMessage(kNoteOffStatus, 0, 72, 0));
    // In blocks, as an audio driver asks for them.
    std::vector<float> tail;
    while (tail.size() < 8 * 48000u) {
        const std::vector<float> block = RenderMono(engine, 256);
        tail.insert(tail.end(), block.begin(), block.end());
    }
    const int window = 2400;
    for (int at = 0; at + 2 * window <= static_cast<int>(tail.size()); at += window) {
        float peak = 0.0f;
        for (int i = at; i < at + window; ++i) peak = std::max(peak, std::fabs(tail[i]));
        if (peak > 1e-5f) {
            EXPECT_GT(Rms(tail, at + window, at + 2 * window), 0.0)
                << "the tail was cut off " << (at + window) / 48000.0 << " s after the release";
        }
    }
    EXPECT_EQ(Rms(tail, tail.size() - window, tail.size()), 0.0);

    engine.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    const std::vector<float> first = RenderMono(engine, 256);
    EXPECT_GT(Rms(first, 0, 256), 1e-3) << "the note after the silence came late";
}

// The output may stop only when the engine rests, not whenever a block is
// silent: the piano's samples, for one, begin with a few milliseconds of it.
TEST_F(SynthEngineTest, RestsOnlyWhenNothingSounds) {
    const auto play = [&](double seconds) {  // in blocks, as an audio driver asks for them
        for (int block = 0; block < seconds * 48000 / 256; ++block) RenderMono(engine_, 256);
    };
    play(1.0);
    EXPECT_TRUE(engine_.resting());
    engine_.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 110));
    const std::vector<float> onset = RenderMono(engine_, 64);
    // Below hearing, though the reverb, already on, adds a trace.
    EXPECT_LT(Rms(onset, 0, 64), 1e-6) << "the onset is no longer silent; pick another note";
    EXPECT_FALSE(engine_.resting());
    engine_.send(ComposeShortMessage(kNoteOffStatus, 0, 69, 0));
    play(1.0);
    EXPECT_FALSE(engine_.resting()) << "the reverb's tail was cut off";
    play(3.0);
    EXPECT_TRUE(engine_.resting());
    engine_.beep(440, 100);
    RenderMono(engine_, 64);
    EXPECT_FALSE(engine_.resting());
}

// The audio thread sleeps while nothing sounds; a note, a beep or the end of
// the output must wake it long before its wait runs out.
TEST_F(SynthEngineTest, AWaitingAudioThreadWakesForANoteABeepAndTheEnd) {
    RenderMono(engine_, 48000);  // a second of silence: nothing left to render
    const std::vector<std::function<void()>> wakers = {
        [&] { engine_.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100)); },
        [&] { engine_.beep(440, 200); },
        [&] { engine_.stopWaiting(); },
    };
    for (std::size_t i = 0; i < wakers.size(); ++i) {
        SCOPED_TRACE(i);
        const auto start = std::chrono::steady_clock::now();
        std::thread audio([&] { engine_.waitWhileSilent(std::chrono::seconds(20)); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        wakers[i]();
        audio.join();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        // Whatever woke it plays out before the next round.
        engine_.send(ComposeShortMessage(kNoteOffStatus, 0, 60, 0));
        for (int block = 0; block < 4 * 48000 / 256; ++block) RenderMono(engine_, 256);
    }
}

TEST(SynthEngineSettingsTest, AppliesSettingsByTheirType) {
    SynthEngine engine;
    EXPECT_EQ(engine.applySetting("synth.sample-rate", "44100"), "");  // a number
    EXPECT_EQ(engine.applySetting("synth.polyphony", "32"), "");       // a whole number
    EXPECT_EQ(engine.applySetting("synth.reverb.active", "no"), "");   // a switch
    EXPECT_EQ(engine.applySetting("audio.alsa.device", "hw:0"), "");   // text
    ASSERT_EQ(engine.start(), "");
    EXPECT_EQ(engine.sampleRate(), 44100.0);
    EXPECT_THAT(engine.applySetting("synth.gain", "1"), HasSubstr("too late"));
}

TEST(SynthEngineSettingsTest, ExplainsWhatIsWrongWithASetting) {
    SynthEngine engine;
    EXPECT_EQ(engine.applySetting("synth.no-such-thing", "1"),
              "unknown synthesizer setting 'synth.no-such-thing'");
    EXPECT_THAT(engine.applySetting("synth.polyphony", "many"),
                HasSubstr("bad value 'many' for setting 'synth.polyphony'"));
    EXPECT_THAT(engine.applySetting("synth.gain", "0.5x"), HasSubstr("a number is expected"));
    EXPECT_THAT(engine.applySetting("synth.polyphony", "0"), HasSubstr("allowed: 1 to"));
    EXPECT_THAT(engine.applySetting("synth.polyphony", "99999999999"), HasSubstr("allowed: 1 to"));
    EXPECT_EQ(engine.applySetting("synth.gain\x1b[2J", "1"),
              "unknown synthesizer setting 'synth.gain\\x1b[2J'");
    EXPECT_THAT(engine.applySetting("synth.gain", "0\n5"), HasSubstr("bad value '0\\n5'"));
    EXPECT_EQ(engine.start(), "");  // a refused setting leaves the engine usable
}

// NaN passes FluidSynth's own range check; infinity and numbers too large
// for a double must not reach it either.
TEST(SynthEngineSettingsTest, RefusesNumbersThatAreNotFinite) {
    SynthEngine engine;
    for (const char* name : {"synth.gain", "synth.sample-rate", "synth.reverb.level",
                             "synth.reverb.room-size", "synth.reverb.damp", "synth.reverb.width"}) {
        for (const char* value : {"nan", "NaN", "-nan", "inf", "-inf", "infinity", "1e400"}) {
            SCOPED_TRACE(std::string(name) + "=" + value);
            EXPECT_THAT(engine.applySetting(name, value),
                        AllOf(StartsWith("bad value '" + std::string(value) + "' for setting '" +
                                         name + "' (allowed: "),
                              EndsWith(")")));
        }
    }
    ASSERT_EQ(engine.start(), "");
    EXPECT_EQ(engine.sampleRate(), SynthEngine::kDefaultSampleRate);
}

// Qt sets the desktop's locale at start-up; a German one reads "0,5" for a
// half, but the command line's numbers are the same everywhere.
TEST(SynthEngineSettingsTest, ReadsNumbersTheSameInEveryLocale) {
    testing::GermanLocale german;
    if (!german.active()) {
        GTEST_SKIP() << testing::GermanLocale::kName
                     << " is not installed; scripts/install-deps --test generates it";
    }
    SynthEngine engine;
    EXPECT_EQ(engine.applySetting("synth.gain", "0.5"), "");
    EXPECT_EQ(engine.applySetting("synth.gain", "+0.25"), "");
    EXPECT_EQ(engine.applySetting("synth.gain", "1e-320"), "");  // below the smallest normal double
    EXPECT_EQ(engine.applySetting("synth.gain", "1e-400"), "");  // below every double but zero
    EXPECT_EQ(engine.applySetting("synth.reverb.level", "1E-1"), "");
    EXPECT_EQ(engine.applySetting("synth.polyphony", "+32"), "");
    EXPECT_THAT(engine.applySetting("synth.gain", "0,5"), HasSubstr("a number is expected"));
    EXPECT_THAT(engine.applySetting("synth.gain", ""), HasSubstr("a number is expected"));
    EXPECT_THAT(engine.applySetting("synth.gain", "+-1"), HasSubstr("a number is expected"));
    EXPECT_THAT(engine.applySetting("synth.polyphony", "3.5"),
                HasSubstr("a whole number is expected"));
    EXPECT_THAT(engine.applySetting("synth.reverb.level", "2"), EndsWith("(allowed: 0 to 1)"));
    ASSERT_EQ(engine.start(), "");
    double gain = 0.0;
    fluid_settings_getnum(engine.settings(), "synth.gain", &gain);
    EXPECT_EQ(gain, 0.0);  // the last one accepted: 1e-400
}

// A file that starts like a SoundFont but is damaged inside: FluidSynth's
// cause in one line that names the file once, and nothing on the terminal
// (libinstpatch, tried on it next, would print a GLib "CRITICAL").
TEST(SynthEngineSoundFontTest, ADamagedSoundFontIsOneQuietLineNamingItOnce) {
    TempDir dir;
    const std::string body = std::string("sfbk") + "JUNK" + std::string("\4\0\0\0", 4) + "abcd";
    const std::string size(1, static_cast<char>(body.size()));
    const std::string path =
        dir.write("damaged\n.sf2", "RIFF" + size + std::string(3, '\0') + body).string();
    SynthEngine engine;
    ASSERT_EQ(engine.start(), "");
    StderrCapture stderrCapture;
    const std::string problem = engine.loadSoundFont(path);
    EXPECT_EQ(stderrCapture.text(), "");
    const std::string shown = (dir.path() / "damaged\\n.sf2").string();
    EXPECT_THAT(problem, StartsWith("SoundFont '" + shown + "' could not be loaded: "));
    EXPECT_EQ(problem.find(shown), problem.rfind(shown)) << problem;
    EXPECT_THAT(problem, Not(HasSubstr("DLS"))) << "the cause is FluidSynth's first error";
    EXPECT_FALSE(engine.hasSoundFont());
}

// The volume moves while a note sounds: it is heard at the new gain from the
// next block on, without a gap; the beep follows from its next start.
TEST(SynthEngineGainTest, AChangeIsHeardOnTheNoteSoundingAndTheNextBeep) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    // Alike but for the gain, and without the reverb and chorus, whose tails
    // would carry the louder sound on for a while.
    SynthEngine usual;
    SynthEngine softer;
    for (SynthEngine* engine : {&usual, &softer}) {
        ASSERT_EQ(engine->applySetting("synth.reverb.active", "0"), "");
        ASSERT_EQ(engine->applySetting("synth.chorus.active", "0"), "");
        ASSERT_EQ(engine->start(), "");
        ASSERT_EQ(engine->loadSoundFont(kTestSoundFont), "");
        engine->send(ComposeShortMessage(kProgramChangeStatus, 0, 73, 0));  // a flute: no decay
        engine->send(ComposeShortMessage(kNoteOnStatus, 0, 69, 100));
    }
    const int block = static_cast<int>(0.2 * usual.sampleRate());
    auto level = [](SynthEngine& engine, int frames) {
        const std::vector<float> out = RenderMono(engine, frames);
        return Rms(out, 0, out.size());
    };
    EXPECT_EQ(level(usual, block), level(softer, block));

    softer.setGain(SynthEngine::kDefaultGain / 2);
    EXPECT_EQ(softer.gain(), SynthEngine::kDefaultGain / 2) << "as FluidSynth has it";
    EXPECT_GT(level(softer, 48) * 4, level(usual, 48)) << "no gap where it changed";
    EXPECT_NEAR(level(softer, block) / level(usual, block), 0.5, 0.02);

    for (SynthEngine* engine : {&usual, &softer}) {
        engine->send(ComposeShortMessage(kNoteOffStatus, 0, 69, 0));
        RenderMono(*engine, 20 * block);
        engine->beep(440, 200);
    }
    EXPECT_NEAR(level(softer, block) / level(usual, block), 0.5, 0.02);
}

TEST(SynthEngineSettingsTest, RendersSilenceAndIgnoresMessagesBeforeStart) {
    SynthEngine engine;
    engine.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    engine.beep(440, 200);
    std::vector<float> left(256, 1.0f), right(256, 1.0f);
    engine.render(left.data(), right.data(), 256);
    EXPECT_EQ(Rms(left, 0, 256) + Rms(right, 0, 256), 0.0);
    EXPECT_THAT(engine.loadSoundFont(kTestSoundFont), HasSubstr("not running"));
}

}  // namespace
}  // namespace velmora
