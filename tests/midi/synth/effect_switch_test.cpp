// The reverb and chorus run only while something sends to them; switching
// them must never change what is heard.

#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "midi/messages.h"
#include "midi/synth/synth_engine.h"

namespace velmora {
namespace {

constexpr const char* kSystemSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";
constexpr int kBlock = 64;

// FluidSynth as it comes, effects always on, set up as the engine sets it up.
class PlainSynth {
public:
    PlainSynth() {
        settings_ = new_fluid_settings();
        fluid_settings_setnum(settings_, "synth.sample-rate", SynthEngine::kDefaultSampleRate);
        fluid_settings_setint(settings_, "synth.polyphony", SynthEngine::kDefaultPolyphony);
        fluid_settings_setnum(settings_, "synth.gain", 0.5);
        synth_ = new_fluid_synth(settings_);
        fluid_synth_sfload(synth_, kSystemSoundFont, 1);
    }
    ~PlainSynth() {
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }
    fluid_synth_t* synth() { return synth_; }

private:
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
};

struct Pair {
    SynthEngine engine;
    PlainSynth plain;
    float worst = 0.0f;   // the largest difference heard so far
    double energy = 0.0;  // of the engine's output
    double plainEnergy = 0.0;

    void restartMeasuring() { worst = 0.0f, energy = 0.0, plainEnergy = 0.0; }

    void send(std::uint32_t message) {
        engine.send(message);
        const int channel = StatusOf(message) & 0x0F;
        switch (StatusOf(message) & 0xF0) {
            case kNoteOnStatus:
                fluid_synth_noteon(plain.synth(), channel, Data1Of(message), Data2Of(message));
                break;
            case kNoteOffStatus:
                fluid_synth_noteoff(plain.synth(), channel, Data1Of(message));
                break;
            case kProgramChangeStatus:
                fluid_synth_program_change(plain.synth(), channel, Data1Of(message));
                break;
            default:
                fluid_synth_cc(plain.synth(), channel, Data1Of(message), Data2Of(message));
        }
    }
    void render(double seconds) {
        std::vector<float> l1(kBlock), r1(kBlock), l2(kBlock), r2(kBlock);
        for (int done = 0; done < seconds * engine.sampleRate(); done += kBlock) {
            engine.render(l1.data(), r1.data(), kBlock);
            fluid_synth_write_float(plain.synth(), kBlock, l2.data(), 0, 1, r2.data(), 0, 1);
            for (int i = 0; i < kBlock; ++i) {
                worst = std::max({worst, std::fabs(l1[i] - l2[i]), std::fabs(r1[i] - r2[i])});
                energy += double(l1[i]) * l1[i] + double(r1[i]) * r1[i];
                plainEnergy += double(l2[i]) * l2[i] + double(r2[i]) * r2[i];
            }
        }
    }
};

TEST(EffectSwitchTest, EffectsRunOnlyWhileNeededAndNothingHeardChanges) {
    struct Case {
        int program;
        bool chorus;  // whether this instrument sends to the chorus
    };
    // Piano sends to the reverb only; the string ensemble to both. Soft
    // enough for the limiter to stay out of it.
    for (const Case& c : {Case{0, false}, Case{48, true}}) {
        SCOPED_TRACE(c.program);
        Pair pair;
        ASSERT_EQ(pair.engine.start(), "");
        ASSERT_EQ(pair.engine.loadSoundFont(kSystemSoundFont), "");
        EXPECT_FALSE(pair.engine.effects().reverbOn());
        EXPECT_FALSE(pair.engine.effects().chorusOn());

        pair.send(ComposeShortMessage(kProgramChangeStatus, 0, c.program, 0));
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);  // the second round starts with both switched off again
            for (int key : {48, 60, 64, 67})
                pair.send(ComposeShortMessage(kNoteOnStatus, 0, key, 60));
            pair.render(0.4);
            EXPECT_TRUE(pair.engine.effects().reverbOn());
            EXPECT_EQ(pair.engine.effects().chorusOn(), c.chorus);
            for (int key : {48, 60, 64, 67})
                pair.send(ComposeShortMessage(kNoteOffStatus, 0, key, 0));
            pair.render(4.0);  // the tails die away, then the engine stops rendering
            EXPECT_FALSE(pair.engine.effects().reverbOn());
            EXPECT_FALSE(pair.engine.effects().chorusOn());
            if (round == 0) {
                // Below the last bit of 16-bit audio.
                EXPECT_LT(pair.worst, 3e-5f);
            } else {
                // The effects' slow modulation rested while they were off, so
                // it is at another point of its cycle: the same sound, not
                // the same samples.
                EXPECT_NEAR(pair.energy / pair.plainEnergy, 1.0, 0.15);
            }
            pair.restartMeasuring();
        }
    }
}

TEST(EffectSwitchTest, AnEffectControllerSwitchesItsEffectOnForNotesAlreadySounding) {
    Pair pair;
    ASSERT_EQ(pair.engine.start(), "");
    ASSERT_EQ(pair.engine.loadSoundFont(kSystemSoundFont), "");
    pair.send(ComposeShortMessage(kProgramChangeStatus, 0, 0, 0));
    pair.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 60));
    pair.render(0.2);
    EXPECT_FALSE(pair.engine.effects().chorusOn());
    pair.send(ComposeShortMessage(0xB0, 0, 93, 127));
    EXPECT_TRUE(pair.engine.effects().chorusOn());
    pair.restartMeasuring();
    pair.render(0.5);
    // The chorus's modulation starts where it rested: the same sound.
    EXPECT_NEAR(pair.energy / pair.plainEnergy, 1.0, 0.15);
}

TEST(EffectSwitchTest, AnEffectTurnedOffByTheUserStaysOff) {
    SynthEngine engine;
    ASSERT_EQ(engine.applySetting("synth.reverb.active", "0"), "");
    ASSERT_EQ(engine.start(), "");
    ASSERT_EQ(engine.loadSoundFont(kSystemSoundFont), "");
    engine.send(ComposeShortMessage(kProgramChangeStatus, 0, 48, 0));
    engine.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    EXPECT_FALSE(engine.effects().reverbOn());
    EXPECT_TRUE(engine.effects().chorusOn());
}

}  // namespace
}  // namespace velmora
