#include "midi/synth/synth_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "midi/messages.h"
#include "support/sound_test_support.h"

namespace velmora {
namespace {

using ::testing::HasSubstr;
using namespace soundtest;

constexpr const char* kSystemSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

class SynthEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(engine_.start(), "");
        ASSERT_EQ(engine_.loadSoundFont(kSystemSoundFont), "");
        engine_.send(ComposeShortMessage(kProgramChangeStatus, 0, 0, 0));  // piano
    }
    int frames(double seconds) const { return int(seconds * engine_.sampleRate()); }
    std::vector<float> render(double seconds) { return RenderMono(engine_, frames(seconds)); }

    SynthEngine engine_;
};

TEST_F(SynthEngineTest, NotesSoundAtTheirPitch) {
    EXPECT_EQ(engine_.sampleRate(), 48000.0);
    for (const auto& [key, hz] : {std::pair{60, 261.63}, std::pair{69, 440.0}}) {
        SCOPED_TRACE(key);
        engine_.send(ComposeShortMessage(kNoteOnStatus, 0, key, 100));
        render(0.15);  // past the hammer's attack
        const std::vector<float> held = render(0.1);
        engine_.send(ComposeShortMessage(kNoteOffStatus, 0, key, 0));
        render(1.5);
        EXPECT_NEAR(EstimatePitch(held, engine_.sampleRate()), hz, hz * 0.01);
    }
}

TEST_F(SynthEngineTest, NoteDiesAwayAfterRelease) {
    // Note-on with velocity 0 is the usual note-off; both must end the note.
    for (const std::uint32_t off : {ComposeShortMessage(kNoteOffStatus, 0, 69, 0),
                                    ComposeShortMessage(kNoteOnStatus, 0, 69, 0)}) {
        engine_.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 100));
        const std::vector<float> held = render(0.5);
        engine_.send(off);
        const std::vector<float> after = render(1.2);
        const double heldRms = Rms(held, frames(0.1), frames(0.5));
        const double laterRms = Rms(after, frames(0.9), frames(1.1));
        EXPECT_GT(heldRms, 1e-3);
        EXPECT_LT(laterRms, heldRms / 30) << "held " << heldRms << ", a second later " << laterRms;
    }
}

TEST_F(SynthEngineTest, BeepIsAShortA440ThenSilence) {
    engine_.beep(440, 200);
    const std::vector<float> out = render(0.6);
    const std::vector<float> tone(out.begin() + frames(0.05), out.begin() + frames(0.15));
    EXPECT_NEAR(EstimatePitch(tone, engine_.sampleRate()), 440.0, 4.4);
    EXPECT_NEAR(SoundingSeconds(out, engine_.sampleRate()), 0.2, 0.02);
    EXPECT_LT(Rms(out, frames(0.25), frames(0.6)), 1e-6);
    // The first sample starts from silence: the fade avoids a click.
    EXPECT_LT(std::fabs(out.front()), 1e-4);
}

TEST_F(SynthEngineTest, BeepIsNoLouderThanTheTrainersNotes) {
    engine_.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 127));
    const double noteRms = Rms(render(0.2), 0, frames(0.2));
    engine_.send(ComposeShortMessage(kNoteOffStatus, 0, 69, 0));
    render(3.0);
    engine_.beep(440, 200);
    const double beepRms = Rms(render(0.2), 0, frames(0.2));
    EXPECT_GT(beepRms, noteRms / 4);
    EXPECT_LT(beepRms, noteRms);
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
    EXPECT_EQ(engine.start(), "");  // a refused setting leaves the engine usable
}

TEST(SynthEngineSettingsTest, RendersSilenceAndIgnoresMessagesBeforeStart) {
    SynthEngine engine;
    engine.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    engine.beep(440, 200);
    std::vector<float> left(256, 1.0f), right(256, 1.0f);
    engine.render(left.data(), right.data(), 256);
    EXPECT_EQ(Rms(left, 0, 256) + Rms(right, 0, 256), 0.0);
    EXPECT_THAT(engine.loadSoundFont(kSystemSoundFont), HasSubstr("not running"));
}

}  // namespace
}  // namespace velmora
