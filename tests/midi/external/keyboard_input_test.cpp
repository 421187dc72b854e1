// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// A keyboard played into the trainer through a real MIDI connection: on a
// JACK server of the test's own, and on the ALSA sequencer where there is one.

#include "midi/external/keyboard_input.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <rtmidi/RtMidi.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <optional>
#include <span>
#include <thread>

#include "app/trainer_fixture.h"
#include "midi/external/midi_ports.h"
#include "midi/note_on_reader.h"
#include "testing/helpers.h"
#include "testing/servers.h"

namespace velmora::testing {
namespace {

using namespace std::chrono_literals;

struct Connection {
    const char* name;
    RtMidi::Api api;
};

void PrintTo(const Connection& connection, std::ostream* out) {
    *out << connection.name;
}

class KeyboardInputTest : public ::testing::TestWithParam<Connection> {
protected:
    void SetUp() override {
        // A JACK client writes to the next one in the server's chain, which
        // may have just gone; the program ignores SIGPIPE as well.
        std::signal(SIGPIPE, SIG_IGN);
        if (GetParam().api == RtMidi::UNIX_JACK) {
            jack_.emplace();
            if (!jack_->running()) {
                if (std::system("command -v jackd >/dev/null 2>&1") != 0) {
                    GTEST_SKIP() << "jackd is not installed (Debian: jackd1)";
                }
                FAIL() << "jackd did not start:\n" << jack_->log();
            }
            server_.emplace("JACK_DEFAULT_SERVER", jack_->name());
        } else if (!AlsaSequencerAvailable()) {
            GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq)";
        }
        input_ = std::make_unique<KeyboardInput>([this] { ++changes_; });
        rig_.emplace(RigOptions{.keyboard = input_.get()});
        rig_->trainer.Form_Load();
        Panel& panel = rig_->trainer.panel();
        for (int i = 0; i < kPitchClasses; ++i) panel.lstPitch.setSelected(i, i == 0);
        panel.vsbNoteRange[0].setValue(60);
        panel.vsbNoteRange[1].setValue(71);  // every question is C4
        openSender();
    }

    void openSender() {
        sender_ = std::make_unique<RtMidiOut>(GetParam().api, "Velmora test keys");

        sender_->openVirtualPort("keys");
    }

    // Hands over what arrives, as the window's thread does, until `done`; a
    // loaded machine may take several of the watcher's one-second listings.
    bool until(const std::function<bool()>& done, std::chrono::milliseconds limit = 15s) {
        return WaitFor(
            [&] {
                pollfd ready{input_->readyFd(), POLLIN, 0};
                if (poll(&ready, 1, 5) > 0) input_->deliver();
                return done();
            },
            limit);
    }

    bool connected() {
        return until([this] { return input_->report().connected.has_value(); });
    }

    // Plays `note` and waits for the verdict; the run then moves on to the next question.
    std::string answer(int note) {
        const std::vector<unsigned char> noteOn = {0x90, static_cast<unsigned char>(note), 100};
        sender_->sendMessage(&noteOn);
        const Label& result = rig_->trainer.panel().lblResult;
        until([&] { return result.caption() == "Correct" || result.caption() == "Incorrect"; });
        const std::string verdict = result.caption();
        rig_->clock.advanceBy(4001ms);
        return verdict;
    }

    std::optional<JackServer> jack_;
    std::optional<ScopedEnvironment> server_;
    std::atomic<int> changes_ = 0;
    std::unique_ptr<KeyboardInput> input_;
    std::optional<TrainerRig> rig_;
    std::unique_ptr<RtMidiOut> sender_;
};

TEST_P(KeyboardInputTest, NotesPlayedOnThePortAreAnswers) {
    input_->choose("test keys");
    ASSERT_TRUE(connected()) << input_->report().status;
    EXPECT_NE(input_->report().status.find("MIDI input: Velmora test keys"), std::string::npos)
        << input_->report().status;
    rig_->trainer.panel().cmdPlay.click();
    EXPECT_EQ(answer(72), "Correct");
    EXPECT_EQ(answer(64), "Incorrect");
    EXPECT_EQ(answer(36), "Correct");
    // Note-offs, silent note-ons and controllers answer nothing.
    const std::vector<std::vector<unsigned char>> others = {
        {0x80, 60, 0}, {0x90, 60, 0}, {0xB0, 64, 127}};
    for (const auto& message : others) sender_->sendMessage(&message);
    until([] { return false; }, 300ms);
    EXPECT_EQ(rig_->trainer.panel().lblNoteInput.caption(), "");
    EXPECT_EQ(rig_->trainer.state().rightCount + rig_->trainer.state().wrongCount, 3);
}

TEST_P(KeyboardInputTest, APortThatGoesIsToldAndUsedAgainWhenItComesBack) {
    input_->choose("test keys");
    ASSERT_TRUE(connected()) << input_->report().status;
    rig_->trainer.panel().cmdPlay.click();
    ASSERT_EQ(answer(60), "Correct");

    sender_.reset();
    std::vector<std::string> told;
    auto gone = [&] {
        const KeyboardInput::Report report = input_->report();
        told.insert(told.end(), report.newProblems.begin(), report.newProblems.end());
        return !report.connected;
    };
    ASSERT_TRUE(until(gone));
    until([&] { return !gone(); }, 1500ms);  // more listings: still told once
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("has gone; it is used again when it comes back"), std::string::npos)
        << told[0];
    EXPECT_EQ(input_->report().status, told[0]);
    rig_->trainer.panel().cmdAnswerButton[0].click();
    EXPECT_EQ(rig_->trainer.panel().lblResult.caption(), "Correct") << "the buttons still answer";
    rig_->clock.advanceBy(4001ms);

    openSender();
    ASSERT_TRUE(connected()) << input_->report().status;
    EXPECT_EQ(answer(48), "Correct");
}

TEST_P(KeyboardInputTest, AJackServerThatEndsTakesTheInputWithIt) {
    if (!jack_) GTEST_SKIP() << "a JACK server's own end";
    input_->choose("test keys");
    ASSERT_TRUE(connected()) << input_->report().status;
    sender_.reset();
    jack_.reset();
    EXPECT_TRUE(until([this] { return !input_->report().connected; }));
    EXPECT_NE(input_->report().status.find("has gone"), std::string::npos)
        << input_->report().status;
    rig_.reset();
    input_.reset();  // closing neither hangs nor crashes
}

TEST_P(KeyboardInputTest, APortThatIsNotThereIsOneMessageAndNoneIsNothing) {
    input_->choose("no such keyboard");
    ASSERT_TRUE(until([this] { return !input_->report().status.empty(); }));
    const KeyboardInput::Report report = input_->report();
    EXPECT_EQ(report.status.rfind("MIDI input: no port matches 'no such keyboard' (ports: ", 0), 0u)
        << report.status;
    EXPECT_NE(report.status.find("Velmora test keys"), std::string::npos) << report.status;

    input_->choose("");
    EXPECT_TRUE(until([this] { return input_->report().status.empty(); }));
    input_->choose("test keys");
    ASSERT_TRUE(connected());
    input_->choose("");
    EXPECT_TRUE(until([this] { return !input_->report().connected; }));
}

// Thousands of notes a second: the first ones a person could have played go
// through, the rest are dropped before they reach the window, which takes
// what comes in bounded turns; the flood is told once and the input is as
// before when it calms down.
TEST_P(KeyboardInputTest, AFloodOfNotesIsDroppedAndToldOnce) {
    input_->choose("test keys");
    ASSERT_TRUE(connected()) << input_->report().status;
    int notes = 0;
    std::size_t mostAtOnce = 0;
    NoteOnReader reader([&](int) { ++notes; });
    input_->setListener([&](std::span<const std::uint8_t> bytes) {
        mostAtOnce = std::max(mostAtOnce, bytes.size());
        reader.read(bytes);
    });

    // 100 notes every 10 ms, as fast as the sender's buffer takes them.
    int sent = 0;
    for (int burst = 0; burst < 30; ++burst) {
        for (int i = 0; i < 100; ++i, ++sent) {
            const auto key = static_cast<unsigned char>(36 + sent % 48);
            const std::vector<unsigned char> on = {0x90, key, 100};
            const std::vector<unsigned char> off = {0x80, key, 0};
            sender_->sendMessage(&on);
            sender_->sendMessage(&off);
        }
        std::this_thread::sleep_for(10ms);
    }
    std::vector<std::string> told;
    auto status = [&] {
        KeyboardInput::Report report = input_->report();
        told.insert(told.end(), report.newProblems.begin(), report.newProblems.end());
        return report.status;
    };
    const std::string port = input_->report().connected->name;
    const std::string flood = "MIDI input '" + port +
                              "' sends more notes than anyone plays; notes are dropped until it "
                              "calms down";
    const std::string calm = "MIDI input: " + port;
    EXPECT_TRUE(until([&] { return status() == flood; })) << status();
    EXPECT_TRUE(until([&] { return status() == calm; })) << status();
    EXPECT_EQ(told, std::vector<std::string>{flood});
    EXPECT_LE(mostAtOnce, KeyboardInput::kMostBytesPerDelivery);
    EXPECT_LT(notes, sent / 4) << "of " << sent;

    const int before = notes;
    const std::vector<unsigned char> note = {0x90, 60, 100};
    sender_->sendMessage(&note);
    EXPECT_TRUE(until([&] { return notes == before + 1; })) << "played after the flood";
}

// The jackd this test started: a child of ours.
pid_t OurJackd() {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, command, state;
        pid_t parent = 0;
        if (stat >> pid >> command >> state >> parent && command == "(jackd)" &&
            parent == getpid()) {
            return std::stoi(pid);
        }
    }
    return -1;
}

// A server that takes connections and never answers (stopped, or hung) is
// skipped by the listing, and holds up neither the window nor closing.
TEST_P(KeyboardInputTest, AJackServerThatStopsAnsweringIsSkipped) {
    if (!jack_) GTEST_SKIP() << "a JACK server's own";
    input_->choose("test keys");
    ASSERT_TRUE(connected()) << input_->report().status;
    const int threadsBefore = KeyboardInput::WatchersStillRunning();
    const pid_t jackd = OurJackd();
    ASSERT_GT(jackd, 0);
    ASSERT_EQ(kill(jackd, SIGSTOP), 0);
    // On a thread of the test's, so that a wait for the server fails the
    // test rather than hang it.
    auto meanwhile = std::async(std::launch::async, [this] {
        MidiInputListing listing = ListMidiInputPorts(500ms);
        input_->refresh();
        input_->report();
        input_->deliver();
        rig_.reset();
        input_.reset();  // leaves its watcher behind, inside the library
        return listing;
    });
    const bool done = meanwhile.wait_for(20s) == std::future_status::ready;
    kill(jackd, SIGCONT);
    ASSERT_TRUE(done) << "something waits for the server";
    EXPECT_EQ(meanwhile.get().unanswered, std::vector<std::string>{"the JACK server"});
    // The threads left behind end once the server answers again.
    EXPECT_TRUE(
        WaitFor([&] { return KeyboardInput::WatchersStillRunning() < threadsBefore; }, 15s));
}

INSTANTIATE_TEST_SUITE_P(Connections, KeyboardInputTest,
                         ::testing::Values(Connection{"Jack", RtMidi::UNIX_JACK},
                                           Connection{"Alsa", RtMidi::LINUX_ALSA}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmora::testing
