// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// Plays through a real PulseAudio server of the test's own, recording what
// comes out of a virtual sound card: the whole path from send() to a speaker,
// and what happens when that server goes away or stops answering.

#include <signal.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "app/command_line.h"
#include "midi/audio_driver_name.h"
#include "midi/messages.h"
#include "midi/setup/sound_setup.h"
#include "midi/synth/built_in_synth.h"
#include "support/sound_test_support.h"
#include "testing/helpers.h"
#include "testing/servers.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using soundtest::StderrCapture;
using testing::Child;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::ReadText;
using testing::ScopedEnvironment;
using testing::SoundServer;
using ::testing::StartsWith;
using testing::TempDir;
using testing::WaitFor;

constexpr double kRate = 48000.0;

std::vector<float> ReadS16(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<float> samples;
    std::int16_t sample = 0;
    while (in.read(reinterpret_cast<char*>(&sample), sizeof sample))
        samples.push_back(sample / 32768.0f);
    return samples;
}

// The middle 100 ms of the loudest part of a recording.
std::vector<float> LoudestWindow(const std::vector<float>& samples) {
    const std::size_t window = kRate / 10;
    std::size_t best = 0;
    double bestRms = -1;
    for (std::size_t at = 0; at + window <= samples.size(); at += window / 4) {
        if (const double rms = soundtest::Rms(samples, at, at + window); rms > bestRms) {
            bestRms = rms;
            best = at;
        }
    }
    if (bestRms < 0) return {};
    return {samples.begin() + best, samples.begin() + best + window};
}

// Where each sound of a recording starts: the first sample above `fraction`
// of the peak, then the next one more than `gap` seconds after the last loud
// sample before it.
std::vector<std::size_t> Onsets(const std::vector<float>& samples, double gap,
                                float fraction = 0.25f) {
    float peak = 0.0f;
    for (float sample : samples) peak = std::max(peak, std::fabs(sample));
    std::vector<std::size_t> onsets;
    std::size_t lastLoud = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (peak == 0.0f || std::fabs(samples[i]) < fraction * peak) continue;
        if (onsets.empty() || double(i - lastLoud) > gap * kRate) onsets.push_back(i);
        lastLoud = i;
    }
    return onsets;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

class PulseEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override { startServer(); }

    void startServer() {
        ASSERT_TRUE(server_.start())
            << "PulseAudio did not start (apt-get install pulseaudio pulseaudio-utils): "
            << server_.log();
    }

    // As a crash would: no goodbye to the clients, the socket file left behind.
    void killServer() { server_.stop(SIGKILL); }

    // Records the virtual sound card while `play` runs.
    std::vector<float> record(const std::function<void()>& play) {
        const fs::path recording = dir_.path() / "recording.raw";
        const fs::path errors = dir_.path() / "parec.txt";
        Child parec(
            {"parec", "--server=" + server_.address(), "-d", "velmora_test.monitor", "--raw",
             "--format=s16le", "--rate=48000", "--channels=1", "--latency-msec=20"},
            server_.environment(), {.out = recording, .err = errors});
        // The null sink's monitor streams silence as soon as parec is connected.
        EXPECT_TRUE(
            WaitFor([&] { return fs::exists(recording) && fs::file_size(recording) > 0; }, 5s))
            << "parec did not record: " << ReadText(errors);
        play();
        std::this_thread::sleep_for(200ms);  // let the tail reach the recording
        parec.stop(SIGTERM, 5s);
        return ReadS16(recording);
    }

    // Playing into this test's server.
    SoundOptions serverOptions() const {
        SoundOptions options;
        options.audioDriver = "pulseaudio";
        options.synthSettings = {{"audio.pulseaudio.server", server_.address()}};
        if (fs::exists(soundtest::kTestSoundFont)) options.soundFont = soundtest::kTestSoundFont;
        return options;
    }

    // The server's own account of the streams playing into it.
    std::string sinkInputs() { return server_.pactl({"list", "sink-inputs"}); }

    bool corked() { return sinkInputs().find("Corked: yes") != std::string::npos; }

    TempDir dir_;
    SoundServer server_;
};

// After an idle spell the stream starts with the new sound, not behind a
// buffer of silence: a beep comes no later than one sent while playing.
TEST_F(PulseEndToEndTest, ABeepAfterIdlingIsNoLaterThanOneWhilePlaying) {
    BuiltInSynth out(serverOptions());
    ASSERT_TRUE(out.open()) << out.description();
    constexpr int kRounds = 3;
    std::vector<double> sentApartMs;
    const std::vector<float> heard = record([&] {
        for (int round = 0; round < kRounds; ++round) {
            // Far below the beeps, but it keeps the stream running.
            out.send(ComposeShortMessage(kNoteOnStatus, 1, 48, 1));
            std::this_thread::sleep_for(100ms);
            const auto whilePlaying = std::chrono::steady_clock::now();
            out.Beep(440, 100);
            std::this_thread::sleep_for(200ms);
            out.send(ComposeShortMessage(kNoteOffStatus, 1, 48, 0));
            EXPECT_TRUE(WaitFor([&] { return corked(); }, 5s));
            sentApartMs.push_back(MillisecondsSince(whilePlaying));
            out.Beep(440, 100);
            std::this_thread::sleep_for(200ms);
        }
    });
    out.close();
    const std::vector<std::size_t> onsets = Onsets(heard, 0.05);
    ASSERT_EQ(onsets.size(), 2u * kRounds);
    // Later minus sooner than sent, the median of the rounds: a round can
    // catch the running stream just before or just after one of its requests.
    std::vector<double> lateMs;
    for (int round = 0; round < kRounds; ++round) {
        const double heardApartMs =
            1000.0 * double(onsets[2 * round + 1] - onsets[2 * round]) / kRate;
        lateMs.push_back(heardApartMs - sentApartMs[round]);
    }
    std::sort(lateMs.begin(), lateMs.end());
    EXPECT_LT(lateMs[kRounds / 2], 0.0)
        << "ms later than sent: " << lateMs[0] << ", " << lateMs[1] << ", " << lateMs[2];
}

// Under either name of our own client.
TEST_F(PulseEndToEndTest, TheServerIsAskedForTheBufferTheLatencyFigureNames) {
    for (const char* periodSize : {"", "1024"}) {
        const char* name = *periodSize != '\0' ? "pulse-stream" : "pulseaudio";
        SCOPED_TRACE(name);
        SoundOptions options = serverOptions();
        options.audioDriver = name;
        if (*periodSize != '\0')
            options.synthSettings.emplace_back("audio.period-size", periodSize);
        const double latencyMs = ConfiguredLatencyMs(options, name);
        EXPECT_NEAR(latencyMs, *periodSize != '\0' ? 21.33 : 5.33, 0.01);
        BuiltInSynth out(options, SynthUse::BeepOnly);
        ASSERT_TRUE(out.open()) << out.description();
        EXPECT_EQ(out.description(), "Beep output · " + AudioDriverDisplayName(name));
        char expected[64];
        std::snprintf(expected, sizeof expected, "Requested tlength=%.2f ms, minreq=%.2f ms",
                      latencyMs, latencyMs / 2);
        EXPECT_TRUE(WaitFor([&] { return server_.log().find(expected) != std::string::npos; }, 2s))
            << expected << " is not in the server's log:\n"
            << server_.log();
    }
}

// The server goes away in the middle of a note and comes back: the loss is
// told at once, the note does not sound on when the server is back, and
// what is played then is heard, without opening the output again. When it
// goes again, the user may quit at once: no call may crash or wait for it.
// While nothing sounds the stream is corked, so that an idle trainer costs
// nothing: the next note must resume it at once and sound for as long as it
// is held.
TEST_F(PulseEndToEndTest, AServerThatComesBackIsPlayedThroughAgain) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    StderrCapture stderrCapture;
    BuiltInSynth out(serverOptions());
    std::atomic<int> changes{0};
    out.onChange([&] { ++changes; });
    ASSERT_TRUE(out.open()) << out.description();
    const std::string playing =
        "Built-in synthesizer · TimGM6mb · Desktop sound server (pulseaudio)";
    EXPECT_EQ(out.description(), playing);
    // Our own client of the server, not FluidSynth's driver.
    EXPECT_THAT(sinkInputs(), HasSubstr("application.name = \"Velmora\""));
    EXPECT_THAT(sinkInputs(), HasSubstr("media.name = \"Built-in synthesizer\""));
    out.send(ComposeShortMessage(kProgramChangeStatus, 0, 73, 0));  // a flute: no decay
    out.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 110));
    out.Beep(880, 8000);  // still sounding when the server goes
    std::this_thread::sleep_for(300ms);

    killServer();
    const auto killed = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitFor([&] { return changes == 1; }, 2s)) << "the loss was not told";
    EXPECT_LT(MillisecondsSince(killed), 2000.0);
    EXPECT_FALSE(out.isWorking());
    EXPECT_EQ(out.description(), "No sound: the connection to the sound server was lost");
    // Sent while there is no sound: dropped, not kept for later.
    out.send(ComposeShortMessage(kNoteOnStatus, 0, 76, 110));
    std::this_thread::sleep_for(500ms);

    startServer();
    const auto restarted = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitFor([&] { return out.isWorking(); }, 5s)) << out.description();
    EXPECT_LT(MillisecondsSince(restarted), 5000.0);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(out.description(), playing);
    EXPECT_TRUE(WaitFor([&] { return corked(); }, 5s))
        << "an idle output keeps its stream running:\n"
        << sinkInputs();
    const std::vector<float> heard = record([&] {
        std::this_thread::sleep_for(400ms);
        out.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 110));
        std::this_thread::sleep_for(400ms);
        out.send(ComposeShortMessage(kNoteOffStatus, 0, 69, 0));
        std::this_thread::sleep_for(500ms);
    });
    killServer();
    EXPECT_TRUE(WaitFor([&] { return !out.isWorking(); }, 2s));
    const auto quitting = std::chrono::steady_clock::now();
    out.send(ComposeShortMessage(kNoteOffStatus, 0, 69, 0));
    out.send(ComposeShortMessage(kNoteOnStatus, 0, 72, 110));
    out.Beep(440, 200);
    out.close();
    EXPECT_LT(MillisecondsSince(quitting), 500.0);
    EXPECT_EQ(stderrCapture.text(), "");
    ASSERT_GT(heard.size(), kRate / 2);
    // The recording's first 0.3 s come before the new note: nothing of the
    // notes or the beep that sounded, or of what was sent, while the server
    // was away.
    EXPECT_LT(soundtest::Rms(heard, 0, kRate * 3 / 10), 1e-4);
    EXPECT_NEAR(soundtest::SoundingSeconds(heard, kRate), 0.4, 0.06);
    const std::vector<float> loudest = LoudestWindow(heard);
    EXPECT_GT(soundtest::Rms(loudest, 0, loudest.size()), 1e-3);
    EXPECT_NEAR(soundtest::EstimatePitch(loudest, kRate), 440.0, 4.4);
}

// The server stops answering in the middle of a note (SIGSTOP): the
// connection stays, but the stream asks for nothing more. That is told, the
// note is released, and once the server answers again the output plays by
// itself. Under either name of our own client.
TEST_F(PulseEndToEndTest, AServerThatStopsAnsweringWhilePlayingIsToldAndPlayedAgain) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    for (const std::string name : {"pulseaudio", "pulse-stream"}) {
        SCOPED_TRACE(name);
        SoundOptions options = serverOptions();
        options.audioDriver = name;
        BuiltInSynth out(options);
        std::atomic<int> changes{0};
        out.onChange([&] { ++changes; });
        ASSERT_TRUE(out.open()) << out.description();
        out.send(ComposeShortMessage(kProgramChangeStatus, 0, 73, 0));  // a flute: no decay
        out.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 110));
        std::this_thread::sleep_for(300ms);

        server_.signal(SIGSTOP);
        EXPECT_TRUE(WaitFor([&] { return changes == 1; }, 5s)) << "the stall was not told";
        EXPECT_FALSE(out.isWorking());
        EXPECT_EQ(out.description(), "The sound server stopped answering; trying again…");

        server_.signal(SIGCONT);
        EXPECT_TRUE(WaitFor([&] { return out.isWorking(); }, 10s)) << out.description();
        EXPECT_EQ(changes, 2);
        EXPECT_EQ(out.description(),
                  "Built-in synthesizer · TimGM6mb · " + AudioDriverDisplayName(name));
        const std::vector<float> heard = record([&] {
            std::this_thread::sleep_for(300ms);
            out.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 110));
            std::this_thread::sleep_for(400ms);
            out.send(ComposeShortMessage(kNoteOffStatus, 0, 69, 0));
            std::this_thread::sleep_for(300ms);
        });
        out.close();
        ASSERT_GT(heard.size(), kRate / 2);
        // Nothing of the note that sounded when the server stopped.
        EXPECT_LT(soundtest::Rms(heard, 0, kRate * 2 / 10), 1e-4);
        EXPECT_NEAR(soundtest::SoundingSeconds(heard, kRate), 0.4, 0.06);
    }
}

TEST_F(PulseEndToEndTest, AServerThatStartsLaterIsUsed) {
    killServer();
    fs::remove(server_.socket());
    BuiltInSynth out(serverOptions(), SynthUse::BeepOnly);
    std::atomic<int> changes{0};
    out.onChange([&] { ++changes; });
    EXPECT_FALSE(out.open());
    EXPECT_THAT(out.description(), HasSubstr("No sound: "));
    std::this_thread::sleep_for(1500ms);  // a few tries in vain
    EXPECT_EQ(changes, 0);

    startServer();
    EXPECT_TRUE(WaitFor([&] { return out.isWorking(); }, 5s)) << out.description();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(out.description(), "Beep output · Desktop sound server (pulseaudio)");
    const std::vector<float> heard = record([&] {
        out.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 110));  // nothing to play it with
        out.Beep(440, 200);
        std::this_thread::sleep_for(400ms);
    });
    out.close();
    EXPECT_NEAR(soundtest::SoundingSeconds(heard, kRate), 0.2, 0.03);
    EXPECT_NEAR(soundtest::EstimatePitch(LoudestWindow(heard), kRate), 440.0, 4.4);
}

// A setting for the sound server that cannot be had: the sound goes elsewhere
// (here through ALSA's plugin to the same server's default), and the user is
// told why their setting did nothing.
TEST_F(PulseEndToEndTest, ASettingThatCannotBeUsedIsToldWhenAnotherOutputPlays) {
    const ScopedEnvironment session("PULSE_SERVER", server_.address());
    SoundOptions options = serverOptions();
    options.audioDriver.reset();
    options.synthSettings.emplace_back("audio.pulseaudio.device", "nonexistent");
    BuiltInSynth out(options, SynthUse::BeepOnly);
    StderrCapture stderrCapture;
    if (!out.open()) GTEST_SKIP() << "no other output here: " << out.description();
    EXPECT_THAT(out.description(), Not(HasSubstr("(pulseaudio)")));
    EXPECT_THAT(out.notice(), StartsWith("Playing through "));
    EXPECT_THAT(out.notice(), HasSubstr("audio.pulseaudio.device=nonexistent could not be used"));
    EXPECT_THAT(out.notice(), Not(HasSubstr("\n")));
    out.close();
    EXPECT_EQ(out.notice(), "");
    EXPECT_EQ(stderrCapture.text(), "");

    // Where the setting works, there is nothing to say.
    BuiltInSynth fine(serverOptions(), SynthUse::BeepOnly);
    ASSERT_TRUE(fine.open()) << fine.description();
    EXPECT_EQ(fine.notice(), "");
}

// What the window's status line and the terminal are told as the server
// goes and comes: each loss once, as it happens; the output in use once back.
TEST_F(PulseEndToEndTest, TheStatusFollowsTheServerAndEachLossIsToldOnce) {
    SoundOptions options;
    options.audioDriver = "pulseaudio";
    options.synthSettings = {{"audio.pulseaudio.server", server_.address()}};
    std::mutex mutex;
    std::vector<std::function<void()>> posted;
    SoundSetup sound(options, [&](std::function<void()> done) {
        const std::lock_guard lock(mutex);
        posted.push_back(std::move(done));
    });
    int changes = 0;
    sound.onChange([&] { ++changes; });
    // The window's event loop: runs what was posted, once something was.
    auto runPosted = [&](std::chrono::milliseconds limit) {
        std::vector<std::function<void()>> due;
        WaitFor(
            [&] {
                const std::lock_guard lock(mutex);
                due.swap(posted);
                return !due.empty();
            },
            limit);
        for (auto& done : due) done();
    };
    const std::string lost = "No sound: the connection to the sound server was lost";

    sound.device().open();
    SoundReport report = sound.report();
    EXPECT_EQ(report.status, "Starting the built-in synthesizer");
    EXPECT_TRUE(report.newProblems.empty());
    runPosted(10s);
    EXPECT_EQ(changes, 1);
    report = sound.report();
    EXPECT_THAT(report.status, ::testing::EndsWith("(pulseaudio)"));
    EXPECT_TRUE(report.newProblems.empty());

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        killServer();
        runPosted(2s);
        EXPECT_EQ(changes, 2 + 2 * round);
        report = sound.report();
        EXPECT_EQ(report.status, lost);
        EXPECT_EQ(report.newProblems, std::vector<std::string>{lost});
        EXPECT_TRUE(sound.report().newProblems.empty()) << "told twice";

        startServer();
        runPosted(5s);
        EXPECT_EQ(changes, 3 + 2 * round);
        report = sound.report();
        EXPECT_THAT(report.status, ::testing::EndsWith("(pulseaudio)"));
        EXPECT_TRUE(report.newProblems.empty());
    }

    // Once closed, the output's news are nobody's concern.
    sound.device().close();
    killServer();
    std::this_thread::sleep_for(300ms);
    runPosted(0ms);
    EXPECT_EQ(changes, 5);
}

TEST_F(PulseEndToEndTest, AServerThatStopsAnsweringHoldsNothingUp) {
    {
        // Corked first: resuming is the one call that takes the mainloop's lock.
        BuiltInSynth out(serverOptions());
        ASSERT_TRUE(out.open()) << out.description();
        ASSERT_TRUE(WaitFor([&] { return corked(); }, 5s));
        server_.signal(SIGSTOP);
        const auto start = std::chrono::steady_clock::now();
        for (int note = 60; note < 72; ++note) {
            out.send(ComposeShortMessage(kNoteOnStatus, 0, note, 110));
            out.send(ComposeShortMessage(kNoteOffStatus, 0, note, 0));
        }
        out.close();
        EXPECT_LT(MillisecondsSince(start), 500.0);
    }
    // Opening gives up after a while; FluidSynth's own driver for the
    // server, which would wait for ever, is not tried.
    BuiltInSynth out(serverOptions());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(out.open());
    EXPECT_LT(MillisecondsSince(start), 5000.0);
    EXPECT_EQ(out.description(),
              "No sound: audio driver 'pulseaudio' could not be started: no connection to the "
              "sound server: the sound server does not answer");

    // Without a driver chosen every output is tried. ALSA's default device
    // goes to the sound server too, through PulseAudio's ALSA plugin where
    // that is installed, and would wait half a minute for it.
    const ScopedEnvironment session("PULSE_SERVER", server_.address());
    SoundOptions anyDriver = serverOptions();
    anyDriver.audioDriver.reset();
    BuiltInSynth any(anyDriver);
    const auto opening = std::chrono::steady_clock::now();
    EXPECT_FALSE(any.open());
    EXPECT_LT(MillisecondsSince(opening), 4000.0);
    EXPECT_THAT(any.description(), HasSubstr("the sound server does not answer"));
    // It tries again once a second, each time waiting up to 2 s for the
    // server: a close meanwhile does not wait for that.
    std::this_thread::sleep_for(1500ms);
    const auto closing = std::chrono::steady_clock::now();
    any.close();
    EXPECT_LT(MillisecondsSince(closing), 500.0);
    server_.signal(SIGCONT);
}

}  // namespace
}  // namespace velmora
