#include "midi/setup/sound_setup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "midi/messages.h"
#include "support/sound_test_support.h"
#include "testing/helpers.h"
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

double ResidentMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0.0;
}

// Each switch of audio output in Sound Settings loads the SoundFont anew, on
// threads of its own; what the old synthesizer held must go back to the
// system rather than pile up in those threads' malloc arenas. Measured with
// the large font, whose instruments are megabytes each.
TEST(SoundSetupTest, SwitchingAudioOutputsDoesNotGrowTheProcess) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps freed memory on purpose";
#endif
    const char* large = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
    if (!std::filesystem::exists(large))
        GTEST_SKIP() << large << " is not installed (Debian: fluid-soundfont-gm)";
    testing::SoundServer server;
    ASSERT_TRUE(server.start()) << server.log();
    SoundOptions options;
    options.soundFont = large;
    options.synthSettings = {{"audio.alsa.device", "null"},
                             {"audio.pulseaudio.server", server.address()}};
    std::mutex mutex;
    std::vector<std::function<void()>> posted;
    SoundSetup sound(options, [&](std::function<void()> done) {
        const std::lock_guard lock(mutex);
        posted.push_back(std::move(done));
    });
    int changes = 0;
    sound.onChange([&changes] { ++changes; });
    // The window's event loop, until the open in the background has ended.
    auto runUntilOpened = [&] {
        const int before = changes;
        testing::WaitFor(
            [&] {
                std::vector<std::function<void()>> due;
                {
                    const std::lock_guard lock(mutex);
                    due.swap(posted);
                }
                for (auto& done : due) done();
                return changes > before;
            },
            std::chrono::seconds(20));
    };
    MidiOut& device = sound.device();
    device.open();
    double first = 0.0;
    for (int round = 0; round < 100; ++round) {
        SoundOptions next = sound.options();
        next.audioDriver = round % 2 == 0 ? "alsa" : "pulse-stream";
        sound.reopen(next);
        runUntilOpened();
        const SoundReport report = sound.report();
        ASSERT_FALSE(report.problem) << report.status;
        // Another instrument each time: its samples are read on the sender thread.
        device.send(ComposeShortMessage(kProgramChangeStatus, 0, round % 128, 0));
        device.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        device.send(ComposeShortMessage(kNoteOffStatus, 0, 60, 0));
        if (round == 0) first = ResidentMb();
    }
    const double last = ResidentMb();
    device.close();
    EXPECT_LT(last - first, 10.0) << first << " MB after the first switch, " << last
                                  << " MB after the last";
}

}  // namespace
}  // namespace velmora
