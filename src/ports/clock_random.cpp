// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ports/clock_random.h"

#include <chrono>

namespace velmora {

ClockRandom::ClockRandom() {
    reseed();
}

ClockRandom::ClockRandom(std::uint64_t fixedSeed) : engine_(fixedSeed), fixed_(true) {}

double ClockRandom::next() {
    // 53 random bits: every double in [0, 1) on the grid of 2^-53, never 1.
    return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

void ClockRandom::reseed() {
    if (fixed_) return;
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::uint32_t extra[2] = {0, 0};
    try {
        std::random_device entropy;
        extra[0] = entropy();
        extra[1] = entropy();
    } catch (...) {
        // The clock alone still gives a fresh sequence.
    }
    std::seed_seq seed{static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(now >> 32),
                       extra[0], extra[1]};
    engine_.seed(seed);
}

}  // namespace velmora
