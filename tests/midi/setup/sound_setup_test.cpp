// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/setup/sound_setup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <sstream>
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

namespace fs = std::filesystem;
using namespace std::chrono_literals;
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

// A SoundSetup opening in the background, with the window's event loop.
class Posted {
public:
    BackgroundOpen::Post post() {
        return [this](std::function<void()> done) {
            const std::lock_guard lock(mutex_);
            posted_.push_back(std::move(done));
        };
    }
    // Runs what was posted until `changes` has grown, for up to `limit`.
    void runUntilChanged(const int& changes, std::chrono::milliseconds limit) {
        const int before = changes;
        testing::WaitFor(
            [&] {
                std::vector<std::function<void()>> due;
                {
                    const std::lock_guard lock(mutex_);
                    due.swap(posted_);
                }
                for (auto& done : due) done();
                return changes > before;
            },
            limit);
    }

private:
    std::mutex mutex_;
    std::vector<std::function<void()>> posted_;
};

// A child of ours running jackd as `name`: JackServer keeps its process to itself.
pid_t JackdNamed(const std::string& name) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename();
        if (!std::all_of(pid.begin(), pid.end(), ::isdigit)) continue;
        std::ifstream cmdline(entry.path() / "cmdline");
        const std::string command{std::istreambuf_iterator<char>(cmdline), {}};
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        char state = 0;
        pid_t parent = 0;
        fields >> state >> parent;
        if (parent == ::getpid() &&
            command.find(std::string("--name") + '\0' + name + '\0') != std::string::npos) {
            return std::stoi(pid);
        }
    }
    return -1;
}

// A remembered audio driver whose server never answers (a JACK server
// stopped): its start is given up, the usual outputs play instead and the
// status line says why. Try Again opens again at once, while that start is
// still stuck in the JACK library, and does not start it a second time.
TEST(SoundSetupTest, ADriverThatNeverAnswersGivesWayAndTryAgainStillWorks) {
    testing::JackServer jack;
    if (!jack.running()) GTEST_SKIP() << "no JACK server here: " << jack.log();
    const pid_t jackd = JackdNamed(jack.name());
    ASSERT_GT(jackd, 0);
    const testing::ScopedEnvironment noOtherServer("JACK_NO_START_SERVER", "1");
    SoundOptions options;
    options.audioDriver = "jack";
    // The fallback: ALSA, to a device that needs no sound card.
    options.synthSettings = {{"audio.jack.server", jack.name()}, {"audio.alsa.device", "null"}};
    Posted posted;
    SoundSetup sound(options, posted.post());
    int changes = 0;
    sound.onChange([&changes] { ++changes; });
    const std::string status =
        "Playing through Sound card directly (alsa): 'jack' could not be started: the JACK server "
        "did not answer within 2 s";

    ASSERT_EQ(::kill(jackd, SIGSTOP), 0);
    sound.device().open();
    EXPECT_EQ(sound.report().status, "Starting the built-in synthesizer");
    posted.runUntilChanged(changes, 10s);
    EXPECT_TRUE(sound.device().isWorking());
    EXPECT_EQ(sound.report().status, status);
    EXPECT_EQ(BackgroundOpen::StartsStillRunning(), 1);

    sound.tryAgain();
    posted.runUntilChanged(changes, 10s);
    EXPECT_TRUE(sound.device().isWorking());
    const SoundReport again = sound.report();
    EXPECT_EQ(again.status, status);
    EXPECT_EQ(again.newProblems, std::vector<std::string>{status});
    EXPECT_EQ(BackgroundOpen::StartsStillRunning(), 1);

    // The start given up ends by itself once the server answers.
    ::kill(jackd, SIGCONT);
    EXPECT_TRUE(testing::WaitFor([] { return BackgroundOpen::StartsStillRunning() == 0; }, 10s));
    sound.device().close();
}

// "VmRSS:", "VmLck:": the process's memory in MB.
double MemoryMb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) return std::stod(line.substr(field.size())) / 1024.0;
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
    // A JACK client locks all of its process's memory, now and later.
    if (MemoryMb("VmLck:") > 0)
        GTEST_SKIP() << "the memory of this process is locked: nothing freed can go back";
    testing::SoundServer server;
    ASSERT_TRUE(server.start()) << server.log();
    SoundOptions options;
    options.soundFont = large;
    options.synthSettings = {{"audio.alsa.device", "null"},
                             {"audio.pulseaudio.server", server.address()}};
    Posted posted;
    SoundSetup sound(options, posted.post());
    int changes = 0;
    sound.onChange([&changes] { ++changes; });
    MidiOut& device = sound.device();
    device.open();
    posted.runUntilChanged(changes, 20s);
    double first = 0.0;
    // Enough switches for a leak of anything loaded per switch to stand out.
    for (int round = 0; round < 40; ++round) {
        SoundOptions next = sound.options();
        next.audioDriver = round % 2 == 0 ? "alsa" : "pulse-stream";
        sound.reopen(next);
        posted.runUntilChanged(changes, 20s);
        const SoundReport report = sound.report();
        ASSERT_FALSE(report.problem) << report.status;
        // The same instruments each time, their samples read on the sender thread.
        for (int program : {0, 40}) {
            device.send(ComposeShortMessage(kProgramChangeStatus, 0, program, 0));
            device.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
            std::this_thread::sleep_for(50ms);
            device.send(ComposeShortMessage(kNoteOffStatus, 0, 60, 0));
        }
        if (round == 0) first = MemoryMb("VmRSS:");
    }
    const double last = MemoryMb("VmRSS:");
    device.close();
    EXPECT_LT(last - first, 10.0) << first << " MB after the first switch, " << last
                                  << " MB after the last";
}

}  // namespace
}  // namespace velmora
