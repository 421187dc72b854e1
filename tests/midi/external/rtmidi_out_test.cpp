// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/external/rtmidi_out.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "midi/messages.h"

namespace velmora {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

bool HaveSequencer() {
    return access("/dev/snd/seq", R_OK | W_OK) == 0;
}

TEST(ExternalMidiOut, UnknownPortSaysWhyAndStaysSilent) {
    ExternalMidiOut out("no such port\nanywhere");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(out.open());
    const std::vector<std::string> ports = ListExternalMidiPorts();
    const std::string printed = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(printed, "") << "library code printed";
    EXPECT_FALSE(out.isWorking());
    EXPECT_THAT(out.description(), StartsWith("No sound: "));
    EXPECT_EQ(out.description().find('\n'), std::string::npos);
    EXPECT_THAT(out.description(), HasSubstr("'no such port\\nanywhere'"));
    if (!HaveSequencer()) {
        EXPECT_TRUE(ports.empty());
        EXPECT_THAT(out.description(), HasSubstr("no MIDI system available"));
    }

    // Dropped, not crashed, and closing twice is harmless.
    out.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    out.close();
    out.close();
    EXPECT_FALSE(out.isWorking());
}

// A virtual input port of our own stands in for a synthesizer on the
// sequencer and collects what reaches it.
class ExternalMidiOutOnSequencer : public ::testing::Test {
protected:
    static constexpr const char* kPortName = "Velmora test sink";

    void SetUp() override {
        if (!HaveSequencer()) GTEST_SKIP() << "no ALSA sequencer (/dev/snd/seq) on this machine";
        try {
            sink_ = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, "Velmora test");
            sink_->openVirtualPort(kPortName);
            sink_->setCallback(&ExternalMidiOutOnSequencer::Receive, this);
        } catch (const RtMidiError& error) {
            GTEST_SKIP() << "cannot create a virtual MIDI port: " << error.getMessage();
        }
    }

    static void Receive(double, std::vector<unsigned char>* message, void* self) {
        auto* test = static_cast<ExternalMidiOutOnSequencer*>(self);
        std::lock_guard lock(test->mutex_);
        test->received_.push_back(*message);
        test->arrived_.notify_all();
    }

    // The messages received once `count` have arrived or a generous time has passed.
    std::vector<std::vector<unsigned char>> WaitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, std::chrono::seconds(2), [&] { return received_.size() >= count; });
        return received_;
    }

    // Numbered as the program lists outputs: the built-in synthesizer is 0.
    int SinkNumber() {
        const std::vector<std::string> ports = ListExternalMidiPorts();
        for (std::size_t i = 0; i < ports.size(); ++i) {
            if (ports[i].find(kPortName) != std::string::npos) return static_cast<int>(i + 1);
        }
        return -1;
    }

    std::unique_ptr<RtMidiIn> sink_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::vector<unsigned char>> received_;
};

TEST_F(ExternalMidiOutOnSequencer, ChosenByNameCaseInsensitiveSendsEachMessageWholeAndNoMore) {
    ExternalMidiOut out("VELMORA TEST SINK");
    ASSERT_TRUE(out.open()) << out.description();
    EXPECT_TRUE(out.isWorking());
    EXPECT_THAT(out.description(), StartsWith("MIDI port "));
    EXPECT_THAT(out.description(), HasSubstr(kPortName));

    out.send(ComposeShortMessage(kProgramChangeStatus, 2, 19, 0));
    out.send(ComposeShortMessage(kNoteOnStatus, 2, 64, 127));
    out.send(ComposeShortMessage(kNoteOffStatus, 2, 64, 0));
    EXPECT_EQ(WaitFor(3), (std::vector<std::vector<unsigned char>>{
                              {0xC2, 19}, {0x92, 64, 127}, {0x82, 64, 0}}));

    out.close();
    EXPECT_FALSE(out.isWorking());
    out.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    out.close();
    EXPECT_EQ(WaitFor(4).size(), 3u) << "a closed port still sent";
}

TEST_F(ExternalMidiOutOnSequencer, ChosenByNumberAsListedElseListsThePortsThereAre) {
    const int number = SinkNumber();
    ASSERT_GE(number, 1) << "the virtual port is not listed";
    ExternalMidiOut byNumber(std::to_string(number));
    ASSERT_TRUE(byNumber.open()) << byNumber.description();
    EXPECT_THAT(byNumber.description(), StartsWith("MIDI port " + std::to_string(number) + ": "));
    EXPECT_THAT(byNumber.description(), HasSubstr(kPortName));

    ExternalMidiOut unknown("no such port anywhere");
    EXPECT_FALSE(unknown.open());
    EXPECT_THAT(unknown.description(), StartsWith("No sound: no MIDI output port matches"));
    EXPECT_THAT(unknown.description(), HasSubstr(kPortName));
}

TEST_F(ExternalMidiOutOnSequencer, PortVanishingWhileOpenIsSurvived) {
    ExternalMidiOut out(kPortName);
    ASSERT_TRUE(out.open()) << out.description();
    sink_.reset();
    out.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    out.send(ComposeShortMessage(kNoteOffStatus, 0, 60, 0));
    out.close();
    EXPECT_FALSE(out.isWorking());
}

}  // namespace
}  // namespace velmora
