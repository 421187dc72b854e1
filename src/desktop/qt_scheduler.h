// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "ports/scheduler.h"

namespace velmora {

// Timers on the Qt event loop of the thread that creates the scheduler, on
// the steady clock. Create it once the application object exists.
//
// Qt's own timers count whole milliseconds, too coarse for the end of a 62.5 ms
// note. A single timerfd armed for the earliest deadline wakes the event loop
// within microseconds of it; between timers the thread sleeps in the loop's
// poll. Without timerfd, a precise QTimer does the same to the millisecond.
class QtScheduler final : public Scheduler {
public:
    QtScheduler();
    ~QtScheduler() override;
    QtScheduler(const QtScheduler&) = delete;
    QtScheduler& operator=(const QtScheduler&) = delete;

    Nanos now() const override;
    TimerId startTimer(Nanos deadline, std::function<void()> fn) override;
    TimerId startRepeating(Nanos interval, std::function<void()> fn) override;
    void cancel(TimerId id) override;

    std::size_t pendingTimers() const { return timers_.size(); }

    // Runs each pass over the timers that are due; the window makes a pass one
    // step of its own, drawn once as it stands after the callbacks.
    using Pass = std::function<void(const std::function<void()>& fireDue)>;
    void setPass(Pass pass) { pass_ = std::move(pass); }

private:
    // Deadline order; ties go to the timer started (or re-armed) first.
    struct Slot {
        Nanos deadline;
        std::uint64_t order;
        auto operator<=>(const Slot&) const = default;
    };
    struct Timer {
        Slot slot;
        Nanos interval;  // zero for one-shot timers
        std::function<void()> fn;
    };

    TimerId add(Nanos deadline, Nanos interval, std::function<void()> fn);
    void wakeUp();
    void fireDue();
    void arm();

    std::map<TimerId, Timer> timers_;
    std::map<Slot, TimerId> queue_;
    TimerId nextId_ = 1;
    std::uint64_t nextOrder_ = 0;

    int timerFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTimer> fallback_;  // only when timerfd is unavailable
    std::optional<Nanos> armedFor_;     // deadline the wake-up is set for; empty once it went off
    Pass pass_;
};

}  // namespace velmora
