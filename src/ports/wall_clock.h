// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>

namespace velmora {

struct TimeOfDay {
    int hour = 0;  // 0..23
    int minute = 0;
    int second = 0;
};

// A moment as the practice journal keeps it: UTC, and the local offset then.
struct UtcTime {
    std::int64_t milliseconds = 0;  // since the epoch
    int offsetMinutes = 0;          // local time = UTC + this
};

// The calendar clock: the local time of day for the practice timer's clock
// texts, and the date and time an answer was given.
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual TimeOfDay now() const = 0;
    virtual UtcTime utcNow() const = 0;
};

// The system's local time.
class SystemWallClock final : public WallClock {
public:
    TimeOfDay now() const override;
    UtcTime utcNow() const override;
};

}  // namespace velmora
