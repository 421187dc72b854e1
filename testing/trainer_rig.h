// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "app/trainer.h"
#include "midi/recording_midi_out.h"
#include "ports/clock_random.h"
#include "ports/journal.h"
#include "ports/manual_scheduler.h"
#include "ports/midi_in.h"
#include "ports/wall_clock.h"

namespace velmora::testing {

// Keeps every beep as (frequency, duration) instead of sounding it.
class CountingBeeper final : public Beeper {
public:
    void Beep(int frequencyHz, int durationMs) override {
        beeps.push_back({frequencyHz, durationMs});
    }
    std::vector<std::pair<int, int>> beeps;
};

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

// Local time that moves with a manual clock, from a chosen start.
class FollowingWallClock final : public WallClock {
public:
    FollowingWallClock(const ManualScheduler& clock, TimeOfDay start);
    TimeOfDay now() const override;
    // The calendar moves with the same clock, from `utcStart` in `offsetMinutes`.
    UtcTime utcNow() const override;
    void setStart(int hour, int minute, int second);

    std::int64_t utcStart = 1'796'000'000'000;  // 2026-11-30 00:53:20 UTC
    int offsetMinutes = 60;

private:
    const ManualScheduler& clock_;
    long long startSeconds_;
};

// What a rig does differently; whatever is left out is as the program has it.
struct RigOptions {
    std::optional<std::uint64_t> seed{};   // none: reseeded from the clock, as in the program
    std::optional<TimeOfDay> startTime{};  // none: the system's time, not the rig's clock
    MidiOut* output = nullptr;             // none: `device`
    Scheduler* scheduler = nullptr;        // none: `clock`
    MidiIn* keyboard = nullptr;            // none: the fake one
    Journal* journal = nullptr;            // none: answers are not journalled
};

// A trainer wired to fakes: a recording MIDI device, a clock that moves only
// when told, a beeper that counts. Not yet loaded: some users build a window
// on it first. Declared in build order: the trainer, built last, goes first.
struct TrainerRig {
    explicit TrainerRig(const RigOptions& options = {});

    RecordingMidiOut device;
    ManualScheduler clock;
    CountingBeeper beeper;
    ClockRandom random;
    FollowingWallClock wallClock;
    FakeMidiIn keyboard;
    Trainer trainer;
};

}  // namespace velmora::testing
