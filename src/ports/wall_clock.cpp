// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ports/wall_clock.h"

#include <ctime>

namespace velmora {

TimeOfDay SystemWallClock::now() const {
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_hour, local.tm_min, local.tm_sec};
}

UtcTime SystemWallClock::utcNow() const {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::time_t seconds = now.tv_sec;
    std::tm local{};
    localtime_r(&seconds, &local);
    return {static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000,
            static_cast<int>(local.tm_gmtoff / 60)};
}

}  // namespace velmora
