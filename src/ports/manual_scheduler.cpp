// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ports/manual_scheduler.h"

#include <algorithm>

namespace velmora {

Scheduler::TimerId ManualScheduler::startTimer(Nanos deadline, std::function<void()> fn) {
    const TimerId id = nextId_++;
    timers_[id] = Timer{deadline, Nanos{0}, nextOrder_++, std::move(fn)};
    return id;
}

Scheduler::TimerId ManualScheduler::startRepeating(Nanos interval, std::function<void()> fn) {
    const TimerId id = nextId_++;
    interval = std::max(interval, Nanos{1});
    timers_[id] = Timer{now_ + interval, interval, nextOrder_++, std::move(fn)};
    return id;
}

void ManualScheduler::cancel(TimerId id) {
    timers_.erase(id);
}

void ManualScheduler::advanceBy(Nanos step) {
    advanceTo(now_ + step);
}

void ManualScheduler::advanceTo(Nanos time) {
    for (;;) {
        // Earliest due timer; ties go to the one started first.
        auto due = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second.deadline > time) continue;
            if (due == timers_.end() || it->second.deadline < due->second.deadline ||
                (it->second.deadline == due->second.deadline &&
                 it->second.order < due->second.order)) {
                due = it;
            }
        }
        if (due == timers_.end()) break;

        now_ = std::max(now_, due->second.deadline);
        std::function<void()> fn;
        if (due->second.interval > Nanos{0}) {
            due->second.deadline += due->second.interval;
            due->second.order = nextOrder_++;
            fn = due->second.fn;  // the timer may cancel itself while running
        } else {
            fn = std::move(due->second.fn);
            timers_.erase(due);
        }
        fn();
    }
    now_ = std::max(now_, time);
}

}  // namespace velmora
