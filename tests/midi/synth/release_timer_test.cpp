// Notes end after their length on the synthesizer's own clock, whenever the
// note-off messages come.

#include "midi/synth/release_timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <utility>
#include <vector>

#include "midi/messages.h"
#include "midi/synth/synth_engine.h"
#include "support/sound_test_support.h"

namespace velmora {
namespace {

using Released = std::vector<std::pair<int, int>>;

// Plays the audio thread: renders in blocks of `block` frames from `frame`,
// split where releaseDue says, and notes when each release happened.
struct AudioThread {
    ReleaseTimer& timer;
    std::int64_t frame = 0;
    std::vector<std::pair<std::int64_t, Released>> releases;

    void render(int frames, int block = 64) {
        for (int blockDone = 0; blockDone < frames; blockDone += block) {
            for (int done = 0; done < block;) {
                Released now;
                const int length = timer.releaseDue(frame, block - done, [&](int channel, int key) {
                    now.emplace_back(channel, key);
                });
                if (!now.empty()) releases.emplace_back(frame, now);
                done += length;
                frame += length;
            }
        }
    }
};

TEST(ReleaseTimerTest, NotesEndAfterTheirLengthFromTheBlockTheyStartedIn) {
    ReleaseTimer timer;
    AudioThread audio{timer, 0, {}};
    audio.render(640);
    // A chord, with a length that does not fall on a block boundary.
    for (int key : {60, 64, 67}) timer.noteOn(0, key);
    timer.setLength(1000);
    audio.render(64 * 40);
    ASSERT_EQ(audio.releases.size(), 1u);
    EXPECT_EQ(audio.releases[0].first, 640 + 1000);
    EXPECT_EQ(audio.releases[0].second, (Released{{0, 60}, {0, 64}, {0, 67}}));
    EXPECT_EQ(timer.lastRelease().onset, 640);
    EXPECT_EQ(timer.lastRelease().release, 1640);

    // The late note-offs find nothing left to release.
    for (int key : {60, 64, 67}) timer.noteOff(0, key);
    audio.render(64 * 40);
    EXPECT_EQ(audio.releases.size(), 1u);
}

TEST(ReleaseTimerTest, ANewLengthCountsFromTheSameStart) {
    for (const auto& [first, second] : {std::pair{4800, 2400}, std::pair{2400, 4800}}) {
        SCOPED_TRACE(second);
        ReleaseTimer timer;
        AudioThread audio{timer, 0, {}};
        timer.noteOn(0, 60);
        timer.setLength(first);
        audio.render(1600);
        timer.setLength(second);
        audio.render(9600);
        ASSERT_EQ(audio.releases.size(), 1u);
        EXPECT_EQ(audio.releases[0].first, second);
    }
    // A length already over releases at once.
    ReleaseTimer timer;
    AudioThread audio{timer, 0, {}};
    timer.noteOn(0, 60);
    timer.setLength(4800);
    audio.render(3200);
    timer.setLength(1000);
    audio.render(64);
    ASSERT_EQ(audio.releases.size(), 1u);
    EXPECT_EQ(audio.releases[0].first, 3200);
}

TEST(ReleaseTimerTest, OnlyTheNotesSoundingWhenToldAreReleased) {
    ReleaseTimer timer;
    AudioThread audio{timer, 0, {}};
    // Without a length the note-offs alone end the notes.
    timer.noteOn(0, 48);
    audio.render(4800);
    EXPECT_TRUE(audio.releases.empty());
    timer.noteOff(0, 48);

    // The next question strikes the same key again just before the old
    // length runs out: the old length must not cut the new note short.
    timer.noteOn(0, 60);
    timer.noteOn(1, 60);
    timer.setLength(2000);
    audio.render(1920);
    timer.noteOff(0, 60);
    timer.noteOn(0, 60);  // started at 6720
    audio.render(640);
    ASSERT_EQ(audio.releases.size(), 1u);
    EXPECT_EQ(audio.releases[0].first, 4800 + 2000);
    EXPECT_EQ(audio.releases[0].second, (Released{{1, 60}}));
    timer.setLength(1000);
    audio.render(2000);
    ASSERT_EQ(audio.releases.size(), 2u);
    EXPECT_EQ(audio.releases[1].first, 6720 + 1000);
    EXPECT_EQ(audio.releases[1].second, (Released{{0, 60}}));
}

// Through the synthesizer: a timed release sounds as a note-off sent at the
// same frame would.
TEST(ReleaseTimerTest, TheSynthesizerReleasesTheNoteItself) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    SynthEngine timed;
    SynthEngine sent;
    for (SynthEngine* engine : {&timed, &sent}) {
        ASSERT_EQ(engine->start(), "");
        ASSERT_EQ(engine->loadSoundFont(soundtest::kTestSoundFont), "");
        engine->send(ComposeShortMessage(kProgramChangeStatus, 0, 19, 0));  // an organ holds
        engine->send(ComposeShortMessage(kNoteOnStatus, 0, 69, 100));
    }
    timed.setNoteLength(std::chrono::milliseconds(100));  // 4800 frames
    const std::vector<float> timedHeld = soundtest::RenderMono(timed, 4800);
    const std::vector<float> sentHeld = soundtest::RenderMono(sent, 4800);
    sent.send(ComposeShortMessage(kNoteOffStatus, 0, 69, 0));
    const std::vector<float> timedAfter = soundtest::RenderMono(timed, 24000);
    const std::vector<float> sentAfter = soundtest::RenderMono(sent, 24000);
    EXPECT_EQ(timedHeld, sentHeld);
    float worst = 0.0f;
    for (std::size_t i = 0; i < sentAfter.size(); ++i) {
        worst = std::max(worst, std::fabs(timedAfter[i] - sentAfter[i]));
    }
    EXPECT_LT(worst, 1e-6f);
    EXPECT_LT(soundtest::Rms(timedAfter, 19200, 24000), soundtest::Rms(timedHeld, 2400, 4800) / 10);
    EXPECT_EQ(timed.framesRendered(), 4800 + 24000);
}

}  // namespace
}  // namespace velmora
