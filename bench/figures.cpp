// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "figures.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace velmora::bench {

void PrintFigure(const std::string& what, const std::string& value, const std::string& goal,
                 const std::string& how) {
    std::printf("figure\t%s\t%s\t%s\t%s\n", what.c_str(), value.c_str(), goal.c_str(), how.c_str());
    std::fflush(stdout);
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

double MonotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values) {
    return Percentile(std::move(values), 0.5);
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

}  // namespace velmora::bench
