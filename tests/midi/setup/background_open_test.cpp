// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/setup/background_open.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "midi/messages.h"
#include "midi/recording_midi_out.h"
#include "testing/helpers.h"

namespace velmora {
namespace {

constexpr std::uint32_t kPiano = ComposeShortMessage(kProgramChangeStatus, 0, 0, 0);

std::uint32_t On(int key) {
    return ComposeShortMessage(kNoteOnStatus, 0, key, 100);
}
std::uint32_t Off(int key) {
    return ComposeShortMessage(kNoteOffStatus, 0, key, 0);
}

// An output whose open() takes until the test lets it finish, as a SoundFont load does.
class SlowOut final : public MidiOut, public Beeper {
public:
    explicit SlowOut(RecordingMidiOut& record) : record_(record) {}
    bool open() override {
        released_.wait();
        return record_.open();
    }
    void send(std::uint32_t message) override { record_.send(message); }
    void close() override { record_.close(); }
    std::string description() const override { return "Slow"; }
    bool isWorking() const override { return record_.isWorking(); }
    void Beep(int frequencyHz, int) override { beeps.push_back(frequencyHz); }

    void finishOpening() { release_.set_value(); }
    std::vector<int> beeps;

private:
    RecordingMidiOut& record_;
    std::promise<void> release_;
    std::shared_future<void> released_ = release_.get_future().share();
};

class BackgroundOpenTest : public ::testing::Test {
protected:
    BackgroundOpenTest() {
        auto inner = std::make_unique<SlowOut>(record_);
        slow_ = inner.get();
        out_ = std::make_unique<BackgroundOpen>(std::move(inner), slow_,
                                                [this](std::function<void()> done) {
                                                    const std::lock_guard lock(mutex_);
                                                    posted_.push_back(std::move(done));
                                                });
        out_->onOpened([this] { ++opened_; });
    }
    // Lets the slow open finish from another thread after `delay`.
    std::thread finishOpeningAfter(std::chrono::milliseconds delay) {
        return std::thread([this, delay] {
            std::this_thread::sleep_for(delay);
            slow_->finishOpening();
        });
    }
    bool anythingPosted() {
        const std::lock_guard lock(mutex_);
        return !posted_.empty();
    }
    // The owning thread's event loop: waits for the worker's report, then runs it.
    void runPosted() {
        std::vector<std::function<void()>> posted;
        testing::WaitFor(
            [&] {
                const std::lock_guard lock(mutex_);
                posted.swap(posted_);
                return !posted.empty();
            },
            std::chrono::seconds(10));
        for (auto& done : posted) done();
    }

    RecordingMidiOut record_;
    SlowOut* slow_ = nullptr;
    std::mutex mutex_;
    std::vector<std::function<void()>> posted_;
    int opened_ = 0;  // calls of onOpened
    std::unique_ptr<BackgroundOpen> out_;
};

TEST_F(BackgroundOpenTest, WhatIsSentWhileOpeningGoesOutOnceOpenButNotReleasedNotes) {
    EXPECT_TRUE(out_->open());
    EXPECT_TRUE(out_->opening());
    EXPECT_FALSE(out_->isWorking());
    EXPECT_EQ(out_->description(), "Starting the built-in synthesizer");

    for (std::uint32_t message : {kPiano, On(60), On(64), Off(60), kPiano, On(67)}) {
        out_->send(message);
    }
    out_->Beep(440, 200);  // would come late: dropped
    EXPECT_TRUE(record_.messages.empty());
    EXPECT_EQ(opened_, 0);

    slow_->finishOpening();
    runPosted();
    EXPECT_EQ(opened_, 1);
    EXPECT_TRUE(out_->isWorking());
    EXPECT_EQ(out_->description(), "Slow");
    EXPECT_EQ(record_.messages, (std::vector<std::uint32_t>{kPiano, On(64), kPiano, On(67)}));

    out_->send(Off(64));
    out_->Beep(880, 200);
    EXPECT_EQ(record_.messages.back(), Off(64));
    EXPECT_EQ(slow_->beeps, std::vector<int>{880});
}

// A sound server that never answers can keep an open going for a long time:
// closing (the user quits) must not wait for it, and must not report it.
TEST_F(BackgroundOpenTest, ClosingWhileOpeningDoesNotWaitAndTheWorkerClosesTheOutput) {
    out_->open();
    out_->send(On(60));
    std::thread finishLater = finishOpeningAfter(std::chrono::seconds(2));
    const auto start = std::chrono::steady_clock::now();
    out_->close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(out_->isWorking());
    EXPECT_EQ(BackgroundOpen::StartsStillRunning(), 1);
    out_->send(On(62));
    out_->Beep(440, 100);

    finishLater.join();
    EXPECT_TRUE(testing::WaitFor([] { return BackgroundOpen::StartsStillRunning() == 0; },
                                 std::chrono::seconds(10)));
    EXPECT_EQ(record_.openCount, 1);
    EXPECT_EQ(record_.closeCount, 1) << "the worker closes what it opened";
    EXPECT_TRUE(record_.messages.empty());
    EXPECT_TRUE(slow_->beeps.empty());
    EXPECT_FALSE(anythingPosted());
    EXPECT_EQ(opened_, 0) << "nobody is told of an open given up";
}

// The worker may end between the close and the report it posted.
TEST_F(BackgroundOpenTest, AReportPostedBeforeTheCloseIsIgnored) {
    out_->open();
    slow_->finishOpening();
    EXPECT_TRUE(testing::WaitFor([this] { return anythingPosted(); }, std::chrono::seconds(10)));
    out_->close();
    EXPECT_EQ(record_.closeCount, 1);
    EXPECT_EQ(BackgroundOpen::StartsStillRunning(), 0);
    runPosted();
    EXPECT_EQ(opened_, 0);
    out_->send(On(62));
    EXPECT_TRUE(record_.messages.empty());
}

// Opening again waits for an open given up before: the output is the same.
TEST_F(BackgroundOpenTest, OpeningAgainWaitsForTheWorkerGivenUpBefore) {
    out_->open();
    out_->close();
    std::thread finishLater = finishOpeningAfter(std::chrono::milliseconds(100));
    out_->open();  // the second time SlowOut opens at once: its promise is kept
    finishLater.join();
    EXPECT_EQ(record_.closeCount, 1) << "the first open was closed before the second began";
    runPosted();
    EXPECT_TRUE(out_->isWorking());
    out_->close();
    EXPECT_EQ(record_.closeCount, 2);
}

}  // namespace
}  // namespace velmora
