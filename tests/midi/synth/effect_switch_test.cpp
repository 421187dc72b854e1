// The chorus runs only while something sends to it, which must never change
// what is heard; the engine's own room takes the place of FluidSynth's reverb
// and must sound about as loud and as long.

#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "midi/messages.h"
#include "midi/synth/synth_engine.h"
#include "support/sound_test_support.h"

namespace velmora {
namespace {

using soundtest::kTestSoundFont;
constexpr int kBlock = 64;

// FluidSynth as it comes, set up as the engine sets it up, its chorus always
// on and its reverb as asked.
class PlainSynth {
public:
    explicit PlainSynth(bool reverb = false) {
        settings_ = new_fluid_settings();
        fluid_settings_setint(settings_, "synth.reverb.active", reverb ? 1 : 0);
        fluid_settings_setnum(settings_, "synth.sample-rate", SynthEngine::kDefaultSampleRate);
        fluid_settings_setint(settings_, "synth.polyphony", SynthEngine::kDefaultPolyphony);
        fluid_settings_setnum(settings_, "synth.gain", 0.5);
        synth_ = new_fluid_synth(settings_);
        fluid_synth_sfload(synth_, kTestSoundFont, 1);
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

// Both without reverb: FluidSynth's own is off in the engine, and the room
// is compared on its own below.
void StartWithoutReverb(SynthEngine& engine) {
    ASSERT_EQ(engine.applySetting("synth.reverb.active", "0"), "");
    ASSERT_EQ(engine.start(), "");
    ASSERT_EQ(engine.loadSoundFont(kTestSoundFont), "");
}

TEST(EffectSwitchTest, TheChorusRunsOnlyWhileNeededAndNothingHeardChanges) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    struct Case {
        int program;
        bool chorus;  // whether this instrument sends to the chorus
    };
    // Piano sends to the reverb only; the string ensemble to both. Soft
    // enough for the limiter to stay out of it.
    for (const Case& c : {Case{0, false}, Case{48, true}}) {
        SCOPED_TRACE(c.program);
        Pair pair;
        StartWithoutReverb(pair.engine);
        EXPECT_FALSE(pair.engine.effects().chorusOn());

        pair.send(ComposeShortMessage(kProgramChangeStatus, 0, c.program, 0));
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);  // the second round starts with the chorus switched off again
            for (int key : {48, 60, 64, 67})
                pair.send(ComposeShortMessage(kNoteOnStatus, 0, key, 60));
            pair.render(0.4);
            EXPECT_EQ(pair.engine.effects().chorusOn(), c.chorus);
            for (int key : {48, 60, 64, 67})
                pair.send(ComposeShortMessage(kNoteOffStatus, 0, key, 0));
            pair.render(4.0);  // the tails die away, then the engine stops rendering
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

TEST(EffectSwitchTest, TheChorusControllerSwitchesItOnForNotesAlreadySounding) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    Pair pair;
    StartWithoutReverb(pair.engine);
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

// A piano phrase across the keyboard, left to ring: mono, left + right.
std::vector<double> Phrase(const std::function<void(std::uint32_t)>& send,
                           const std::function<void(float*, float*)>& render) {
    std::vector<double> out;
    std::vector<float> left(kBlock), right(kBlock);
    const auto play = [&](double seconds) {
        for (int done = 0; done < seconds * SynthEngine::kDefaultSampleRate; done += kBlock) {
            render(left.data(), right.data());
            for (int i = 0; i < kBlock; ++i) out.push_back(double(left[i]) + right[i]);
        }
    };
    for (int key = 36; key <= 84; key += 5) {
        send(ComposeShortMessage(kNoteOnStatus, 0, key, 80));
        play(0.15);
        send(ComposeShortMessage(kNoteOffStatus, 0, key, 0));
    }
    play(2.0);
    return out;
}

std::vector<double> FluidSynthPhrase(bool reverb) {
    PlainSynth plain(reverb);
    return Phrase(
        [&](std::uint32_t message) {
            if ((StatusOf(message) & 0xF0) == kNoteOnStatus) {
                fluid_synth_noteon(plain.synth(), 0, Data1Of(message), Data2Of(message));
            } else {
                fluid_synth_noteoff(plain.synth(), 0, Data1Of(message));
            }
        },
        [&](float* left, float* right) {
            fluid_synth_write_float(plain.synth(), kBlock, left, 0, 1, right, 0, 1);
        });
}

TEST(EffectSwitchTest, TheRoomSoundsAboutAsLoudAndAsLongAsFluidSynthsReverb) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    SynthEngine engine;
    ASSERT_EQ(engine.start(), "");
    ASSERT_EQ(engine.loadSoundFont(kTestSoundFont), "");
    const std::vector<double> ours =
        Phrase([&](std::uint32_t message) { engine.send(message); },
               [&](float* left, float* right) { engine.render(left, right, kBlock); });
    const std::vector<double> dry = FluidSynthPhrase(false);
    const std::vector<double> theirs = FluidSynthPhrase(true);
    ASSERT_EQ(ours.size(), dry.size());

    // Each reverb's part of the sound, in stretches of 0.1 s.
    const auto wet = [&](const std::vector<double>& with) {
        std::vector<double> decibels;
        const std::size_t stretch = 4800;
        for (std::size_t at = 0; at + stretch <= with.size(); at += stretch) {
            double energy = 0.0;
            for (std::size_t i = at; i < at + stretch; ++i) {
                energy += (with[i] - dry[i]) * (with[i] - dry[i]);
            }
            decibels.push_back(10 * std::log10(energy + 1e-30));
        }
        return decibels;
    };
    const std::vector<double> room = wet(ours);
    const std::vector<double> reverb = wet(theirs);
    // While the phrase plays (the room's echoes differ in detail, so a
    // stretch may differ; on the whole the level is the same).
    double difference = 0.0;
    const std::size_t phraseStretches = 16;
    for (std::size_t i = 0; i < phraseStretches; ++i) difference += room[i] - reverb[i];
    EXPECT_NEAR(difference / phraseStretches, 0.0, 2.0);
    // After the last note the tail falls at the same rate.
    const std::size_t end = phraseStretches + 1;
    const double ourFall = room[end] - room[end + 8];
    const double theirFall = reverb[end] - reverb[end + 8];
    EXPECT_NEAR(ourFall, theirFall, 0.25 * theirFall);
}

TEST(EffectSwitchTest, TheRoomHearsWhatTheVoicesSendToTheReverb) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    SynthEngine engine;
    ASSERT_EQ(engine.start(), "");
    ASSERT_EQ(engine.loadSoundFont(kTestSoundFont), "");
    EXPECT_EQ(engine.effects().reverbSend(), 0.0f);
    engine.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    const float piano = engine.effects().reverbSend();
    EXPECT_GT(piano, 0.0f);
    // The controller adds to what the instrument sends, for notes already sounding.
    engine.send(ComposeShortMessage(0xB0, 0, 91, 127));
    EXPECT_NEAR(engine.effects().reverbSend(), piano + 200.0f / 1000 * 127 / 128, 1e-4);
    engine.send(ComposeShortMessage(0xB0, 0, 91, 0));
    EXPECT_NEAR(engine.effects().reverbSend(), piano, 1e-6);
    // Another instrument sends its own amount from its first note.
    engine.send(ComposeShortMessage(kProgramChangeStatus, 0, 48, 0));
    engine.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    EXPECT_GT(engine.effects().reverbSend(), piano);
}

TEST(EffectSwitchTest, ReverbTurnedOffByTheUserStaysOff) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    Pair pair;
    StartWithoutReverb(pair.engine);
    pair.send(ComposeShortMessage(kProgramChangeStatus, 0, 48, 0));
    pair.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 60));
    pair.send(ComposeShortMessage(0xB0, 0, 91, 127));
    EXPECT_EQ(pair.engine.effects().reverbSend(), 0.0f);
    EXPECT_TRUE(pair.engine.effects().chorusOn());
    pair.render(1.0);
    EXPECT_FALSE(pair.engine.roomRinging());
    EXPECT_LT(pair.worst, 3e-5f);  // the voices and the chorus, nothing more
}

}  // namespace
}  // namespace velmora
