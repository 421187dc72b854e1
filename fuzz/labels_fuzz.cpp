// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// Note labels, the percentage line and the recorded question, for any input.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scoring/response_log.h"
#include "scoring/spelling.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return 0;
    int first = 0;
    int second = 0;
    std::memcpy(&first, data, sizeof first);
    std::memcpy(&second, data + 4, sizeof second);
    const std::uint8_t key = data[8] % kSpellingTable.size();
    const std::string rest(reinterpret_cast<const char*>(data + 9), size - 9);

    std::array<std::string, kPitchClasses> names;
    for (int i = 0; i < kPitchClasses; ++i) names[i] = kSpellingTable[key][i];
    const std::string label = NoteLabel(first, names);
    if (label.empty() || label.size() > 14) std::abort();

    // Counts are whatever a 16-bit field holds; the text stays a percentage.
    FormatPercentage(first, second, ',');
    const int right = static_cast<std::uint16_t>(first) % 32768;
    const int wrong = static_cast<std::uint16_t>(second) % 32768;
    const std::string percentage = FormatPercentage(right, wrong);
    const double shown = std::strtod(percentage.c_str(), nullptr);
    if (shown < 0 || shown > 100 || percentage.back() == '.') std::abort();
    if (percentage.find('.') != std::string::npos && percentage.back() == '0') std::abort();

    if (RecordedQuestion(rest, false) != rest) std::abort();
    const std::string recorded = RecordedQuestion(rest, true);
    if (recorded.find_first_of("0123456789") != std::string::npos) std::abort();
    return 0;
}
