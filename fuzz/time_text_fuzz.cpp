// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// The practice timer's texts: any text read, any number of seconds shown.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "practice/practice_timer.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::string read = text;
    const std::int32_t seconds = TimeTextToSeconds(read);
    // At most 99 : 99.99 or 99:99:99 on the 12-hour clock.
    if (seconds < 0 || seconds > 11 * 3600 + 99 * 60 + 99) std::abort();

    // Split the input into two clock texts for the elapsed time.
    const std::size_t half = size / 2;
    const std::int32_t elapsed = ElapsedClockSeconds(text.substr(0, half), text.substr(half));
    if (elapsed < 0 || elapsed > 32819) std::abort();

    double value = 0;
    if (size >= sizeof value) std::memcpy(&value, data, sizeof value);
    const std::string shown = FormatMinutesSeconds(value);
    if (shown.find(" : ") == std::string::npos || shown.size() > 30) std::abort();

    // Whole seconds that fit two minute digits come back as they went in.
    const int whole =
        static_cast<int>(std::fmod(std::fabs(std::isfinite(value) ? value : 0), 6000));
    std::string again = FormatMinutesSeconds(whole);
    if (TimeTextToSeconds(again) != whole) std::abort();
    return 0;
}
