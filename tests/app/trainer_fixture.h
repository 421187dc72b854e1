#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/trainer.h"
#include "midi/messages.h"
#include "midi/recording_midi_out.h"
#include "ports/clock_random.h"
#include "ports/manual_scheduler.h"
#include "ports/midi_in.h"

namespace velmora::testing {

class CountingBeeper final : public Beeper {
public:
    void Beep(int frequencyHz, int durationMs) override {
        beeps.push_back({frequencyHz, durationMs});
    }
    std::vector<std::pair<int, int>> beeps;
};

inline std::uint32_t ProgramChange(int program) {
    return ComposeShortMessage(kProgramChangeStatus, 0, program, 0);
}
inline std::uint32_t NoteOnMsg(int note) {
    return ComposeShortMessage(kNoteOnStatus, 0, note, 127);
}
inline std::uint32_t NoteOffMsg(int note) {
    return ComposeShortMessage(kNoteOffStatus, 0, note, 0);
}

inline Nanos Ms(double milliseconds) {
    return Nanos(static_cast<Nanos::rep>(milliseconds * 1e6));
}

// A MIDI keyboard the test plays on.
class FakeMidiIn final : public MidiIn {
public:
    void setListener(Listener listener) override { listener_ = std::move(listener); }
    bool listened() const { return static_cast<bool>(listener_); }
    void play(std::initializer_list<std::uint8_t> bytes) {
        if (listener_) listener_(std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
    }

private:
    Listener listener_;
};

// Local time that moves with the test's scheduler clock, from a chosen start.
class FollowingWallClock final : public WallClock {
public:
    FollowingWallClock(const ManualScheduler& clock, int hour, int minute, int second)
        : clock_(clock), startSeconds_(hour * 3600 + minute * 60 + second) {}
    TimeOfDay now() const override {
        const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(clock_.now());
        const long long seconds = (startSeconds_ + elapsed.count()) % (24 * 3600);
        return {static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60)};
    }
    // The calendar moves with the same clock, from `utcStart` in `offsetMinutes`.
    UtcTime utcNow() const override {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(clock_.now());
        return {utcStart + elapsed.count(), offsetMinutes};
    }
    void setStart(int hour, int minute, int second) {
        const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(clock_.now());
        startSeconds_ = hour * 3600 + minute * 60 + second - elapsed.count();
    }

    std::int64_t utcStart = 1'796'000'000'000;  // 2026-11-30 00:53:20 UTC
    int offsetMinutes = 60;

private:
    const ManualScheduler& clock_;
    long long startSeconds_;
};

// A trainer as a user finds it after start-up, with a recording MIDI device
// and a clock that moves only when the test says so.
class TrainerTest : public ::testing::Test {
protected:
    void SetUp() override { trainer.Form_Load(); }

    Panel& panel() { return trainer.panel(); }
    TrainerState& state() { return trainer.state(); }

    // Exactly these pitch classes checked, one click per change.
    void checkOnly(std::initializer_list<int> pitchClasses) {
        for (int i = 0; i < kPitchClasses; ++i) panel().lstPitch.setSelected(i, false);
        for (int i : pitchClasses) panel().lstPitch.setSelected(i, true);
    }
    void setRange(int low, int high) {
        panel().vsbNoteRange[0].setValue(low);
        panel().vsbNoteRange[1].setValue(high);
    }

    RecordingMidiOut device;
    ManualScheduler clock;
    CountingBeeper beeper;
    ClockRandom random{20261206};
    FollowingWallClock wallClock{clock, 9, 0, 0};
    FakeMidiIn keyboard;
    Trainer trainer{device, clock, beeper, &random, &wallClock, &keyboard};
};

}  // namespace velmora::testing
