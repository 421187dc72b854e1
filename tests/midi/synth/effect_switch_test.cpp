// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// FluidSynth's reverb and chorus run only while something sends to them,
// which must never change what is heard.

#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "midi/messages.h"
#include "midi/synth/synth_engine.h"
#include "support/sound_test_support.h"

namespace velmora {
namespace {

using soundtest::kTestSoundFont;
constexpr int kBlock = 64;
constexpr std::uint32_t kReverbController = 91;
constexpr std::uint32_t kChorusController = 93;

// FluidSynth set up as the engine sets it up.
fluid_settings_t* PlainSettings() {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", SynthEngine::kDefaultSampleRate);
    fluid_settings_setint(settings, "synth.polyphony", SynthEngine::kDefaultPolyphony);
    fluid_settings_setnum(settings, "synth.gain", 0.5);
    return settings;
}

struct Pair {
    SynthEngine engine;
    // FluidSynth as it comes, its effects always on.
    std::unique_ptr<fluid_settings_t, void (*)(fluid_settings_t*)> settings{PlainSettings(),
                                                                            delete_fluid_settings};
    std::unique_ptr<fluid_synth_t, void (*)(fluid_synth_t*)> plain{new_fluid_synth(settings.get()),
                                                                   delete_fluid_synth};
    float worst = 0.0f;   // the largest difference heard so far
    double energy = 0.0;  // of the engine's output
    double plainEnergy = 0.0;

    Pair() {
        EXPECT_EQ(engine.start(), "");
        EXPECT_EQ(engine.loadSoundFont(kTestSoundFont), "");
        fluid_synth_sfload(plain.get(), kTestSoundFont, 1);
    }
    void restartMeasuring() { worst = 0.0f, energy = 0.0, plainEnergy = 0.0; }

    void send(std::uint32_t message) {
        engine.send(message);
        const int channel = StatusOf(message) & 0x0F;
        switch (StatusOf(message) & 0xF0) {
            case kNoteOnStatus:
                fluid_synth_noteon(plain.get(), channel, Data1Of(message), Data2Of(message));
                break;
            case kNoteOffStatus:
                fluid_synth_noteoff(plain.get(), channel, Data1Of(message));
                break;
            case kProgramChangeStatus:
                fluid_synth_program_change(plain.get(), channel, Data1Of(message));
                break;
            default:
                fluid_synth_cc(plain.get(), channel, Data1Of(message), Data2Of(message));
        }
    }
    void render(double seconds) {
        std::vector<float> l1(kBlock), r1(kBlock), l2(kBlock), r2(kBlock);
        for (int done = 0; done < seconds * engine.sampleRate(); done += kBlock) {
            engine.render(l1.data(), r1.data(), kBlock);
            fluid_synth_write_float(plain.get(), kBlock, l2.data(), 0, 1, r2.data(), 0, 1);
            for (int i = 0; i < kBlock; ++i) {
                worst = std::max({worst, std::fabs(l1[i] - l2[i]), std::fabs(r1[i] - r2[i])});
                energy += double(l1[i]) * l1[i] + double(r1[i]) * r1[i];
                plainEnergy += double(l2[i]) * l2[i] + double(r2[i]) * r2[i];
            }
        }
    }
};

TEST(EffectSwitchTest, EffectsRunOnlyWhileSentToAndNothingHeardChanges) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    struct Case {
        int program;
        bool reverb;  // whether this instrument sends to each effect
        bool chorus;
    };
    // The oboe sends to neither, the piano to the reverb only, the string
    // ensemble to both. Soft enough for the limiter to stay out of it.
    for (const Case& c : {Case{68, false, false}, Case{0, true, false}, Case{48, true, true}}) {
        SCOPED_TRACE(c.program);
        Pair pair;
        EXPECT_FALSE(pair.engine.effects().reverbOn());
        EXPECT_FALSE(pair.engine.effects().chorusOn());

        pair.send(ComposeShortMessage(kProgramChangeStatus, 0, c.program, 0));
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);  // the second round starts with the effects switched off again
            for (int key : {48, 60, 64, 67})
                pair.send(ComposeShortMessage(kNoteOnStatus, 0, key, 60));
            pair.render(0.4);
            EXPECT_EQ(pair.engine.effects().reverbOn(), c.reverb);
            EXPECT_EQ(pair.engine.effects().chorusOn(), c.chorus);
            for (int key : {48, 60, 64, 67})
                pair.send(ComposeShortMessage(kNoteOffStatus, 0, key, 0));
            pair.render(6.0);  // the tails die away, then the engine stops rendering
            EXPECT_FALSE(pair.engine.effects().reverbOn());
            EXPECT_FALSE(pair.engine.effects().chorusOn());
            if (round == 0) {
                // Below the last bit of 16-bit audio.
                EXPECT_LT(pair.worst, 3e-5f);
            } else {
                // The chorus's slow modulation rested while it was off, so it
                // is at another point of its cycle: the same sound, not the
                // same samples.
                EXPECT_NEAR(pair.energy / pair.plainEnergy, 1.0, 0.15);
            }
            pair.restartMeasuring();
        }
    }
}

TEST(EffectSwitchTest, ControllersSwitchTheEffectsOnForNotesAlreadySounding) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    Pair pair;
    pair.send(ComposeShortMessage(kProgramChangeStatus, 0, 68, 0));  // sends to neither
    pair.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 60));
    pair.render(0.2);
    pair.send(ComposeShortMessage(0xB0, 0, kReverbController, 127));
    EXPECT_TRUE(pair.engine.effects().reverbOn());
    EXPECT_FALSE(pair.engine.effects().chorusOn());
    pair.send(ComposeShortMessage(0xB0, 0, kChorusController, 127));
    EXPECT_TRUE(pair.engine.effects().chorusOn());
    pair.restartMeasuring();
    pair.render(0.5);
    // The chorus's modulation starts where it rested: the same sound.
    EXPECT_NEAR(pair.energy / pair.plainEnergy, 1.0, 0.15);
}

// What still rings 0.5 to 0.7 s after a short oboe note sent wholly to the
// reverb, when the oboe's own release is long over.
double LateTail(const char* reverbActive) {
    SynthEngine engine;
    EXPECT_EQ(engine.applySetting("synth.reverb.active", reverbActive), "");
    EXPECT_EQ(engine.start(), "");
    EXPECT_EQ(engine.loadSoundFont(kTestSoundFont), "");
    engine.send(ComposeShortMessage(kProgramChangeStatus, 0, 68, 0));
    engine.send(ComposeShortMessage(0xB0, 0, kReverbController, 127));
    engine.send(ComposeShortMessage(kNoteOnStatus, 0, 72, 100));
    soundtest::RenderMono(engine, 9600);
    EXPECT_EQ(engine.effects().reverbOn(), reverbActive[0] == '1');
    engine.send(ComposeShortMessage(kNoteOffStatus, 0, 72, 0));
    soundtest::RenderMono(engine, 24000);
    const std::vector<float> tail = soundtest::RenderMono(engine, 9600);
    return soundtest::Rms(tail, 0, tail.size());
}

TEST(EffectSwitchTest, TheReverbIsHeardUnlessTurnedOff) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    const double on = LateTail("1");
    const double off = LateTail("0");
    EXPECT_GT(on, 1e-4);
    EXPECT_LT(off, 1e-5);  // below the last bit of 16-bit audio
}

}  // namespace
}  // namespace velmora
