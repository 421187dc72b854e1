// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>
#include <string>

#include "model/panel.h"
#include "model/trainer_state.h"
#include "ports/wall_clock.h"

namespace velmora {

// The time of day on the 12-hour clock without AM/PM: "9:05:03", "12:40:00".
std::string ClockTime(const TimeOfDay& time);

// Seconds in a duration text ("5 : 00.00") or a clock text ("9:05:03", counted
// from the last 12 o'clock); 0 for any other text. Trims the caller's text.
std::int32_t TimeTextToSeconds(std::string& text);

// "5 : 00.00" for 300 seconds, "0 : 07.00" for 7, "-1 : 59.00" for -1.
std::string FormatMinutesSeconds(double seconds);

// Seconds from one clock text to another. A run that passes 12 o'clock
// counts on across it; a clock set back a little gives 0, also across
// 12 o'clock, never a negative time or one too large to show.
std::int32_t ElapsedClockSeconds(const std::string& startClock, const std::string& nowClock);

// The allotted practice time and the once-a-second timer that ends a run
// when it is used up.
class PracticeTimer {
public:
    PracticeTimer(Panel& panel, TrainerState& state, const WallClock& clock)
        : panel_(panel), state_(state), clock_(clock) {}

    std::string ClockTime() const { return velmora::ClockTime(clock_.now()); }
    void vsbAlottedTimeForExercise_Change();
    void Timer1_Timer();

private:
    std::int32_t elapsed() const;

    Panel& panel_;
    TrainerState& state_;
    const WallClock& clock_;
};

}  // namespace velmora
