// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <map>

#include "ports/scheduler.h"

namespace velmora {

// A scheduler whose clock moves only when told to: tests and benchmarks drive
// the trainer through time without waiting.
class ManualScheduler final : public Scheduler {
public:
    Nanos now() const override { return now_; }
    TimerId startTimer(Nanos deadline, std::function<void()> fn) override;
    TimerId startRepeating(Nanos interval, std::function<void()> fn) override;
    void cancel(TimerId id) override;

    // Moves the clock forward, firing every timer that falls due on the way, in
    // deadline order, with the clock set to each deadline as it fires.
    void advanceBy(Nanos step);
    void advanceTo(Nanos time);
    // Fires what is already due without moving the clock.
    void runDue() { advanceTo(now_); }

    // Sets the clock without firing anything, as when the system clock jumps.
    void jumpTo(Nanos time) { now_ = time; }

    std::size_t pendingTimers() const { return timers_.size(); }

private:
    struct Timer {
        Nanos deadline;
        Nanos interval;  // zero for one-shot timers
        std::uint64_t order;
        std::function<void()> fn;
    };
    Nanos now_{0};
    TimerId nextId_ = 1;
    std::uint64_t nextOrder_ = 0;
    std::map<TimerId, Timer> timers_;
};

}  // namespace velmora
