// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "testing/trainer_rig.h"

#include <chrono>

namespace velmora::testing {

FollowingWallClock::FollowingWallClock(const ManualScheduler& clock, TimeOfDay start)
    : clock_(clock), startSeconds_(start.hour * 3600 + start.minute * 60 + start.second) {}

TimeOfDay FollowingWallClock::now() const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(clock_.now());
    const long long seconds = (startSeconds_ + elapsed.count()) % (24 * 3600);
    return {static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
            static_cast<int>(seconds % 60)};
}

UtcTime FollowingWallClock::utcNow() const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(clock_.now());
    return {utcStart + elapsed.count(), offsetMinutes};
}

void FollowingWallClock::setStart(int hour, int minute, int second) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(clock_.now());
    startSeconds_ = hour * 3600 + minute * 60 + second - elapsed.count();
}

TrainerRig::TrainerRig(const RigOptions& options)
    : random(options.seed ? ClockRandom(*options.seed) : ClockRandom()),
      wallClock(clock, options.startTime.value_or(TimeOfDay{})),
      trainer(options.output ? *options.output : device,
              options.scheduler ? *options.scheduler : clock, beeper, &random,
              options.startTime ? &wallClock : nullptr,
              options.keyboard ? options.keyboard : &keyboard) {
    if (options.journal) trainer.setJournal(options.journal);
}

}  // namespace velmora::testing
