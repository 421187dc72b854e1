#include "midi/devices/background_open.h"

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
        release_.get_future().wait();
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
    }
    // The owning thread's event loop: waits for the worker's report, then runs it.
    void runPosted() {
        for (;;) {
            std::vector<std::function<void()>> posted;
            {
                const std::lock_guard lock(mutex_);
                posted.swap(posted_);
            }
            if (!posted.empty()) {
                for (auto& done : posted) done();
                return;
            }
            std::this_thread::yield();
        }
    }

    RecordingMidiOut record_;
    SlowOut* slow_ = nullptr;
    std::mutex mutex_;
    std::vector<std::function<void()>> posted_;
    std::unique_ptr<BackgroundOpen> out_;
};

TEST_F(BackgroundOpenTest, WhatIsSentWhileOpeningGoesOutOnceOpenButNotReleasedNotes) {
    int opened = 0;
    EXPECT_TRUE(out_->open());
    out_->whenOpen([&] { ++opened; });
    EXPECT_TRUE(out_->opening());
    EXPECT_FALSE(out_->isWorking());
    EXPECT_EQ(out_->description(), "Starting the built-in synthesizer");

    for (std::uint32_t message : {kPiano, On(60), On(64), Off(60), kPiano, On(67)}) {
        out_->send(message);
    }
    out_->Beep(440, 200);  // would come late: dropped
    EXPECT_TRUE(record_.messages.empty());
    EXPECT_EQ(opened, 0);

    slow_->finishOpening();
    runPosted();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(out_->isWorking());
    EXPECT_EQ(out_->description(), "Slow");
    EXPECT_EQ(record_.messages, (std::vector<std::uint32_t>{kPiano, On(64), kPiano, On(67)}));

    out_->send(Off(64));
    out_->Beep(880, 200);
    EXPECT_EQ(record_.messages.back(), Off(64));
    EXPECT_EQ(slow_->beeps, std::vector<int>{880});
    out_->whenOpen([&] { ++opened; });
    EXPECT_EQ(opened, 2) << "once open, at once";
}

TEST_F(BackgroundOpenTest, ClosingWhileOpeningWaitsForItThenClosesAndSendsNothing) {
    int opened = 0;
    out_->open();
    out_->whenOpen([&] { ++opened; });
    out_->send(On(60));
    std::thread letItFinish([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        slow_->finishOpening();
    });
    out_->close();
    letItFinish.join();
    EXPECT_EQ(opened, 1) << "whoever waited is told";
    EXPECT_EQ(record_.openCount, 1);
    EXPECT_EQ(record_.closeCount, 1);
    EXPECT_FALSE(out_->isWorking());

    runPosted();  // the worker's report comes after the close: nothing happens
    out_->send(On(62));
    EXPECT_TRUE(record_.messages.empty());
}

}  // namespace
}  // namespace velmora
