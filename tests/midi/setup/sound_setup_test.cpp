#include "midi/setup/sound_setup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "midi/messages.h"
#include "support/sound_test_support.h"
#include "testing/servers.h"
#include "testing/temp_dir.h"

namespace velmora {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Notes to a port that is not there, logged to a device that is always full:
// the log's write error comes up only once the trainer sends.
SoundOptions FullLog() {
    SoundOptions options;
    options.midiOut = "no such port anywhere";
    options.midiLog = "/dev/full";
    return options;
}

void Play(SoundSetup& sound) {
    sound.device().open();
    sound.device().send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    sound.device().send(ComposeShortMessage(kNoteOffStatus, 0, 60, 0));
}

TEST(SoundSetupTest, ALogThatFailsWhileSendingIsReportedOnce) {
    SoundSetup sound(FullLog());
    int changes = 0;
    sound.onChange([&changes] { ++changes; });
    sound.device().open();
    const SoundReport atStart = sound.report();
    EXPECT_THAT(atStart.newProblems, ElementsAre(HasSubstr("no such port anywhere")));

    Play(sound);
    EXPECT_EQ(changes, 1);
    const SoundReport later = sound.report();
    EXPECT_THAT(later.newProblems,
                ElementsAre(HasSubstr("cannot write MIDI log '/dev/full' any more: ")));
    EXPECT_TRUE(sound.report().newProblems.empty()) << "told once";
}

TEST(SoundSetupTest, AProblemBeforeAnyoneListensIsToldWithTheFirstReport) {
    SoundSetup sound(FullLog());
    Play(sound);
    EXPECT_THAT(sound.report().newProblems,
                ::testing::Contains(HasSubstr("cannot write MIDI log '/dev/full' any more: ")));
}

// A SoundFont named on the command line that is not there yet: the start
// fails, and Try Again plays once the file is in place; another SoundFont is
// then taken at once by the same device, open all along.
TEST(SoundSetupTest, TryAgainPlaysOnceTheMissingSoundFontIsThere) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    testing::SoundServer server;
    ASSERT_TRUE(server.start()) << server.log();
    testing::TempDir dir;
    const std::filesystem::path later = dir.path() / "later.sf2";
    SoundOptions options;
    options.soundFont = later.string();
    options.audioDriver = "pulseaudio";
    options.synthSettings = {{"audio.pulseaudio.server", server.address()}};
    SoundSetup sound(options);
    int changes = 0;
    sound.onChange([&changes] { ++changes; });
    MidiOut& device = sound.device();
    device.open();
    const SoundReport failed = sound.report();
    EXPECT_TRUE(failed.problem);
    EXPECT_THAT(failed.status, HasSubstr("later.sf2' was not found"));

    sound.tryAgain();
    EXPECT_TRUE(sound.report().problem) << "still not there";
    std::filesystem::copy_file(soundtest::kTestSoundFont, later);
    sound.tryAgain();
    const SoundReport fine = sound.report();
    EXPECT_FALSE(fine.problem) << fine.status;
    EXPECT_THAT(fine.status, HasSubstr("later"));
    EXPECT_EQ(changes, 2);

    SoundOptions other = sound.options();
    other.soundFont = soundtest::kTestSoundFont;
    device.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    sound.reopen(other);
    EXPECT_THAT(sound.report().status, HasSubstr("TimGM6mb"));
    EXPECT_TRUE(device.isWorking());
    EXPECT_EQ(&device, &sound.device());
    device.close();
}

}  // namespace
}  // namespace velmora
