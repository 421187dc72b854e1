// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "practice/practice_timer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace velmora {

namespace {

constexpr std::int32_t kHalfDaySeconds = 12 * 3600;
// Largest elapsed time shown: minutes and seconds as they fit a 16-bit minute count.
constexpr std::int32_t kLargestShownSeconds = 32819;

// '#' stands for one decimal digit, every other character for itself.
bool Matches(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (pattern[i] == '#' ? !digit : text[i] != pattern[i]) return false;
    }
    return true;
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Digits with an optional fraction, read without the locale: the texts always use a point.
double Number(std::string_view text) {
    double value = 0;
    double scale = 0;
    for (char c : Trimmed(text)) {
        if (c == '.') {
            scale = 1;
        } else if (scale == 0) {
            value = value * 10 + (c - '0');
        } else {
            scale /= 10;
            value += (c - '0') * scale;
        }
    }
    return value;
}

}  // namespace

std::string ClockTime(const TimeOfDay& time) {
    const int hour = time.hour % 12 == 0 ? 12 : time.hour % 12;
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", hour, time.minute % 60, time.second % 60);
    return text;
}

std::int32_t TimeTextToSeconds(std::string& text) {
    text = std::string(Trimmed(text));
    double value = 0;
    if (Matches(text, "## : ##.##") || Matches(text, "# : ##.##")) {
        const auto colon = text.find(':');
        value = Number(std::string_view(text).substr(0, colon)) * 60 +
                Number(std::string_view(text).substr(colon + 1));
    } else if (Matches(text, "##:##:##") || Matches(text, "#:##:##")) {
        const auto first = text.find(':');
        const auto second = text.find(':', first + 1);
        const std::string_view view(text);
        const double hour = std::fmod(Number(view.substr(0, first)), 12);
        value = hour * 3600 + Number(view.substr(first + 1, second - first - 1)) * 60 +
                Number(view.substr(second + 1));
    }
    return static_cast<std::int32_t>(std::nearbyint(value));  // ties to even
}

std::string FormatMinutesSeconds(double seconds) {
    if (!std::isfinite(seconds)) seconds = 0;
    seconds = std::clamp(seconds, -1e15, 1e15);
    const long long minutes = static_cast<long long>(std::floor(seconds / 60));
    // Hundredths of a second, by integers: the text always has a point, whatever the locale.
    const long long hundredths = std::clamp<long long>(
        std::llround((seconds - static_cast<double>(minutes) * 60) * 100), 0, 5999);
    char text[64];
    std::snprintf(text, sizeof text, "%lld : %02lld.%02lld", minutes, hundredths / 100,
                  hundredths % 100);
    return text;
}

std::int32_t ElapsedClockSeconds(const std::string& startClock, const std::string& nowClock) {
    std::string start = startClock;
    std::string now = nowClock;
    std::int32_t elapsed = TimeTextToSeconds(now) - TimeTextToSeconds(start);
    // Clock seconds restart at 12 o'clock: a step of more than a quarter of a
    // day either way is taken across that restart, so a clock set back a little
    // just before 12 gives 0 like any other, not a run used up.
    if (elapsed < -kHalfDaySeconds / 2) elapsed += kHalfDaySeconds;
    if (elapsed > kHalfDaySeconds / 2) elapsed -= kHalfDaySeconds;
    return std::clamp(elapsed, 0, kLargestShownSeconds);
}

void PracticeTimer::vsbAlottedTimeForExercise_Change() {
    panel_.lblPracticeTime.setCaption(
        FormatMinutesSeconds(panel_.vsbAlottedTimeForExercise.value()));
}

std::int32_t PracticeTimer::elapsed() const {
    return ElapsedClockSeconds(state_.practiceStartClock, ClockTime());
}

void PracticeTimer::Timer1_Timer() {
    panel_.lblTimeElapsed.setCaption(FormatMinutesSeconds(elapsed()));
    const std::int32_t elapsedNow = elapsed();
    std::string limitText = panel_.lblPracticeTime.caption();
    const std::int32_t limit = TimeTextToSeconds(limitText);
    if (elapsedNow >= limit) {
        state_.exerciseRunning = false;
        panel_.Timer1.setEnabled(false);
    }
}

}  // namespace velmora
