// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/limiter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace velmora {
namespace {

std::vector<float> Sine(double amplitude, int frames) {
    std::vector<float> samples(frames);
    for (int i = 0; i < frames; ++i) {
        samples[i] =
            static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * 440 * i / 48000));
    }
    return samples;
}

float Peak(const std::vector<float>& samples, int from = 0) {
    float peak = 0;
    for (std::size_t i = from; i < samples.size(); ++i)
        peak = std::max(peak, std::fabs(samples[i]));
    return peak;
}

TEST(Limiter, QuietSoundPassesUntouched) {
    Limiter limiter(48000);
    auto left = Sine(0.5, 4800);
    auto right = left;
    const auto original = left;
    limiter.process(left.data(), right.data(), 4800);
    EXPECT_EQ(left, original);
}

TEST(Limiter, LoudChordNeverPassesTheCeilingAndRecoversAfterwards) {
    Limiter limiter(48000, 0.25);
    auto left = Sine(3.0, 48000);
    auto right = Sine(1.0, 48000);
    limiter.process(left.data(), right.data(), 48000);
    EXPECT_LE(Peak(left), Limiter::kCeiling + 1e-6f);
    // Held steadily down, not distorted: the second half is still a clean sine near the ceiling.
    EXPECT_GT(Peak(left, 24000), 0.8f * Limiter::kCeiling);

    // After the chord a quiet note comes back to full level within the release time.
    auto quietLeft = Sine(0.2, 24000);
    auto quietRight = quietLeft;
    limiter.process(quietLeft.data(), quietRight.data(), 24000);
    EXPECT_FLOAT_EQ(limiter.gain(), 1.0f);
}

// Whatever goes wrong before it, the output stage never passes a sample that
// is not finite: it would reach the listener at full scale.
TEST(Limiter, WhatIsNotFiniteComesOutAsSilence) {
    constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    for (const float gainBefore : {1.0f, 0.5f}) {  // the quick look and the slow path
        SCOPED_TRACE(gainBefore);
        Limiter limiter(48000);
        if (gainBefore < 1.0f) {
            auto loud = Sine(2 * Limiter::kCeiling, 480);
            auto copy = loud;
            limiter.process(loud.data(), copy.data(), 480);
            ASSERT_LT(limiter.gain(), 1.0f);
        }
        auto left = Sine(0.1, 480);
        auto right = left;
        left[10] = kNan;
        left[20] = kInfinity;
        right[20] = -kNan;
        right[30] = -kInfinity;
        limiter.process(left.data(), right.data(), 480);
        for (int i = 0; i < 480; ++i) {
            ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i])) << i;
        }
        EXPECT_EQ(left[10], 0.0f);
        EXPECT_EQ(left[20], 0.0f);
        EXPECT_EQ(right[20], 0.0f);
        EXPECT_EQ(right[30], 0.0f);
        EXPECT_LE(std::max(Peak(left), Peak(right)), 0.1f);
    }
}

}  // namespace
}  // namespace velmora
