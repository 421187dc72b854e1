// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

// Figure lines as scripts/run-benchmarks reads them, and the sums behind them.

#include <string>
#include <vector>

namespace velmora::bench {

// One figure line for scripts/run-benchmarks.
void PrintFigure(const std::string& what, const std::string& value, const std::string& goal,
                 const std::string& how);
std::string Format(const char* format, double value);

double MonotonicSeconds();
double Median(std::vector<double> values);
double Percentile(std::vector<double> values, double fraction);

}  // namespace velmora::bench
