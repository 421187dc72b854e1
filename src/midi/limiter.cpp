// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/limiter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace velmora {

namespace {

// The float's bits without its sign.
std::uint32_t Magnitude(float sample) {
    return std::bit_cast<std::uint32_t>(sample) & 0x7FFFFFFFu;
}

}  // namespace

Limiter::Limiter(double sampleRate, double releaseSeconds)
    : release_(static_cast<float>(1.0 / std::max(1.0, sampleRate * releaseSeconds))) {}

void Limiter::process(float* left, float* right, int frames) {
    // Most blocks are well below the ceiling at full gain: one quick look at
    // the peak (which the compiler vectorises) instead of the gain's
    // sample-by-sample recurrence. Compared as integers, the magnitudes of
    // floats keep their order, and infinity and NaN come above every finite
    // one: the same look finds those.
    if (gain_ >= 1.0f) {
        std::uint32_t peak = 0;
        for (int i = 0; i < frames; ++i) {
            peak = std::max(peak, std::max(Magnitude(left[i]), Magnitude(right[i])));
        }
        if (peak <= Magnitude(kCeiling)) return;
    }
    for (int i = 0; i < frames; ++i) {
        // Something upstream went wrong; at full scale it would hurt.
        const float l = std::isfinite(left[i]) ? left[i] : 0.0f;
        const float r = std::isfinite(right[i]) ? right[i] : 0.0f;
        const float peak = std::max(std::fabs(l), std::fabs(r));
        gain_ = std::min(1.0f, gain_ + release_);
        if (peak * gain_ > kCeiling) gain_ = kCeiling / peak;
        left[i] = l * gain_;
        right[i] = r * gain_;
    }
}

}  // namespace velmora
