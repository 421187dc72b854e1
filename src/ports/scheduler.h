// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace velmora {

// Monotonic time since an arbitrary start; never wraps.
using Nanos = std::chrono::nanoseconds;

// Timers on the window's one event thread. Callbacks run from the event loop,
// never from inside startTimer or cancel.
class Scheduler {
public:
    using TimerId = std::uint64_t;
    static constexpr TimerId kNoTimer = 0;

    virtual ~Scheduler() = default;

    virtual Nanos now() const = 0;
    // Runs `fn` once when the monotonic clock reaches `deadline`; a deadline in
    // the past fires at the next pass of the event loop.
    virtual TimerId startTimer(Nanos deadline, std::function<void()> fn) = 0;
    // Runs `fn` every `interval` until cancelled.
    virtual TimerId startRepeating(Nanos interval, std::function<void()> fn) = 0;
    // Cancelling an unknown or finished timer does nothing.
    virtual void cancel(TimerId id) = 0;
};

}  // namespace velmora
