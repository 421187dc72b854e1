// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "desktop/qt_scheduler.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace velmora {

namespace {

// The wake-up of an empty queue; a deadline this far off never comes either.
constexpr Nanos kNever = Nanos::max();

timespec ToTimespec(Nanos time) {
    // Zero would disarm the timerfd; a wait of none fires at once.
    time = std::max(time, Nanos{1});
    timespec result{};
    result.tv_sec = static_cast<time_t>(time.count() / 1'000'000'000);
    result.tv_nsec = static_cast<long>(time.count() % 1'000'000'000);
    return result;
}

}  // namespace

QtScheduler::QtScheduler() {
    timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timerFd_ >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(timerFd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
            // Reading clears the fd; it may already be clear when the timer was
            // re-armed or cancelled after it went off.
            std::uint64_t expirations = 0;
            [[maybe_unused]] const ssize_t got = read(timerFd_, &expirations, sizeof expirations);
            wakeUp();
        });
    } else {
        fallback_ = std::make_unique<QTimer>();
        fallback_->setSingleShot(true);
        fallback_->setTimerType(Qt::PreciseTimer);
        QObject::connect(fallback_.get(), &QTimer::timeout, fallback_.get(), [this] { wakeUp(); });
    }
}

QtScheduler::~QtScheduler() {
    notifier_.reset();
    fallback_.reset();
    if (timerFd_ >= 0) close(timerFd_);
}

Nanos QtScheduler::now() const {
    // On Linux the steady clock is CLOCK_MONOTONIC, the timerfd's clock.
    return std::chrono::duration_cast<Nanos>(std::chrono::steady_clock::now().time_since_epoch());
}

Scheduler::TimerId QtScheduler::startTimer(Nanos deadline, std::function<void()> fn) {
    return add(deadline, Nanos{0}, std::move(fn));
}

Scheduler::TimerId QtScheduler::startRepeating(Nanos interval, std::function<void()> fn) {
    interval = std::max(interval, Nanos{1});
    return add(now() + interval, interval, std::move(fn));
}

Scheduler::TimerId QtScheduler::add(Nanos deadline, Nanos interval, std::function<void()> fn) {
    const TimerId id = nextId_++;
    const Slot slot{deadline, nextOrder_++};
    timers_.emplace(id, Timer{slot, interval, std::move(fn)});
    queue_.emplace(slot, id);
    arm();
    return id;
}

void QtScheduler::cancel(TimerId id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) return;
    queue_.erase(it->second.slot);
    timers_.erase(it);
    arm();
}

void QtScheduler::wakeUp() {
    armedFor_.reset();  // whatever is due next must be set again
    if (pass_) {
        pass_([this] { fireDue(); });
    } else {
        fireDue();
    }
}

void QtScheduler::fireDue() {
    // Only what is due as the pass begins: a timer started by a callback with a
    // deadline already past waits for the next pass, so the loop keeps turning.
    const Nanos passTime = now();
    std::vector<std::pair<TimerId, std::uint64_t>> due;
    for (const auto& [slot, id] : queue_) {
        if (slot.deadline > passTime) break;
        due.emplace_back(id, slot.order);
    }

    for (const auto& [id, order] : due) {
        const auto it = timers_.find(id);
        // Cancelled by an earlier callback, or fired by a pass nested in one.
        if (it == timers_.end() || it->second.slot.order != order) continue;
        Timer& timer = it->second;
        queue_.erase(timer.slot);
        std::function<void()> fn;
        if (timer.interval > Nanos{0}) {
            // From the previous deadline, not from now: a practice clock does
            // not drift. A tick missed while the thread was busy comes one pass later.
            timer.slot = Slot{timer.slot.deadline + timer.interval, nextOrder_++};
            queue_.emplace(timer.slot, id);
            fn = timer.fn;  // the callback may cancel its own timer
        } else {
            fn = std::move(timer.fn);
            timers_.erase(it);
        }
        arm();
        if (fn) fn();
    }
    arm();
}

void QtScheduler::arm() {
    const Nanos next = queue_.empty() ? kNever : queue_.begin()->first.deadline;
    if (next == armedFor_) return;
    armedFor_ = next;

    if (timerFd_ >= 0) {
        // Armed with the wait, not the deadline: tools that fake the time of day
        // take an absolute timerfd deadline for a wall-clock time and move it
        // with every step of that clock, holding the next question back.
        itimerspec when{};  // all zero disarms
        if (next != kNever) {
            const Nanos current = now();
            when.it_value = ToTimespec(next > current ? next - current : Nanos{0});
        }
        timerfd_settime(timerFd_, 0, &when, nullptr);
        return;
    }
    if (next == kNever) {
        fallback_->stop();
        return;
    }
    // Rounded up: a wake-up before the deadline would find nothing due.
    const Nanos wait = std::max(next - now(), Nanos{0});
    const auto ms = (wait.count() + 999'999) / 1'000'000;
    fallback_->start(static_cast<int>(std::min<std::int64_t>(ms, INT_MAX)));
}

}  // namespace velmora
