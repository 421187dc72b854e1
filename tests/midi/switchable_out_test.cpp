// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/switchable_out.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "app/trainer_fixture.h"

namespace velmora::testing {
namespace {

// A trainer whose output is exchanged under it while a run plays.
class SwitchingTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto first = std::make_unique<RecordingMidiOut>();
        playing = first.get();
        output = std::make_unique<SwitchableOut>(std::move(first));
        rig.emplace(RigOptions{.seed = 20261206, .output = output.get()});
        rig->trainer.Form_Load();
    }
    // Puts a fresh recorder in place; the old one is kept for the test.
    RecordingMidiOut* switchOutput() {
        auto next = std::make_unique<RecordingMidiOut>();
        RecordingMidiOut* now = next.get();
        gone.push_back(output->replace(std::move(next)));
        playing = now;
        return now;
    }
    static RecordingMidiOut& recorder(const std::unique_ptr<MidiOut>& out) {
        return static_cast<RecordingMidiOut&>(*out);
    }

    std::unique_ptr<SwitchableOut> output;
    std::optional<TrainerRig> rig;
    RecordingMidiOut* playing = nullptr;
    std::vector<std::unique_ptr<MidiOut>> gone;
};

TEST_F(SwitchingTest, ASwitchDuringARunReleasesTheNotesAndTheRunPlaysOnTheNewOutput) {
    rig->trainer.panel().cmdPlay.click();
    rig->clock.advanceBy(Ms(100));
    ASSERT_FALSE(playing->sounding.empty()) << "a question sounds";
    const RecordingMidiOut& first = *playing;

    RecordingMidiOut* second = switchOutput();
    EXPECT_TRUE(first.sounding.empty()) << "released before closing";
    EXPECT_EQ(first.messages.back(), ComposeShortMessage(0xB0, 0, 123, 0)) << "all notes off";
    EXPECT_FALSE(first.isOpen);
    EXPECT_TRUE(second->isOpen);
    EXPECT_TRUE(rig->trainer.state().exerciseRunning);

    // Switching fast, over and over, while the notes play.
    for (int i = 0; i < 20; ++i) {
        rig->clock.advanceBy(Ms(337));
        switchOutput();
    }
    rig->clock.advanceBy(Ms(8000));
    EXPECT_TRUE(rig->trainer.state().exerciseRunning);
    EXPECT_EQ(rig->trainer.panel().lblQuestionNumber.caption(), "Q # 1");
    int noteOns = 0;
    for (auto message : playing->messages) noteOns += (StatusOf(message) & 0xF0) == kNoteOnStatus;
    EXPECT_GT(noteOns, 0) << "the question is played again on the output in use";
    for (const auto& out : gone) {
        EXPECT_EQ(recorder(out).sentWhileClosed, 0);
        EXPECT_TRUE(recorder(out).sounding.empty());
        EXPECT_EQ(recorder(out).closeCount, 1);
    }

    rig->trainer.panel().cmdPlayStop.click();
    rig->trainer.Form_Unload();
    EXPECT_TRUE(playing->sounding.empty());
    // After closing, a switch neither opens the new output nor sends to the old.
    RecordingMidiOut* late = switchOutput();
    output->send(NoteOnMsg(60));
    EXPECT_EQ(late->openCount, 0);
    EXPECT_TRUE(late->messages.empty());
    EXPECT_EQ(recorder(gone.back()).sentWhileClosed, 0);
}

}  // namespace
}  // namespace velmora::testing
