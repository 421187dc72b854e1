// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/beep_tone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace velmora {
namespace {

constexpr double kRate = 48000.0;

std::vector<float> Render(BeepTone& tone, int frames, int block = 64) {
    std::vector<float> left(frames), right(frames);
    for (int at = 0; at < frames; at += block) {
        tone.mixInto(left.data() + at, right.data() + at, std::min(block, frames - at));
    }
    EXPECT_EQ(left, right);
    return left;
}

int SoundingFrames(const std::vector<float>& samples) {
    const auto nonZero = [](float s) { return s != 0.0f; };
    const auto first = std::find_if(samples.begin(), samples.end(), nonZero);
    const auto last = std::find_if(samples.rbegin(), samples.rend(), nonZero).base();
    return first < last ? int(last - first) : 0;
}

TEST(BeepToneTest, LastsAsAskedAcrossBlocksWithoutClicks) {
    BeepTone tone(kRate);
    tone.start(440.0, 200);
    const std::vector<float> out = Render(tone, 12000);
    EXPECT_FALSE(tone.active());
    EXPECT_NEAR(SoundingFrames(out), 9600, 2);

    float peak = 0.0f, largestStep = 0.0f;
    for (std::size_t i = 1; i < out.size(); ++i) {
        peak = std::max(peak, std::fabs(out[i]));
        largestStep = std::max(largestStep, std::fabs(out[i] - out[i - 1]));
    }
    EXPECT_NEAR(peak, BeepTone::kLevel, BeepTone::kLevel * 0.01);
    // A sine of this peak never moves more than 2*pi*f/rate*peak per sample;
    // a jump at the start or end would be a click.
    EXPECT_LE(largestStep, 2 * std::numbers::pi * 440.0 / kRate * BeepTone::kLevel * 1.01);
    EXPECT_LT(std::fabs(out[9599]), BeepTone::kLevel * 0.01);
}

TEST(BeepToneTest, AddsToWhatIsThereAndRestartsWhenStartedAgain) {
    BeepTone tone(kRate, 0.5f);
    tone.start(1000.0, 100);
    std::vector<float> left(2400, 0.25f), right(2400, 0.25f);
    tone.mixInto(left.data(), right.data(), 2400);  // half of it
    EXPECT_FLOAT_EQ(left[0], 0.25f);
    EXPECT_GT(*std::max_element(left.begin(), left.end()), 0.7f);

    tone.start(1000.0, 100);
    EXPECT_NEAR(SoundingFrames(Render(tone, 9600)), 4800, 2);
}

TEST(BeepToneTest, IgnoresFrequenciesNoOneCanHearAndStretchesTinyDurations) {
    BeepTone tone(kRate);
    for (double hz : {0.0, -440.0, 24000.0, std::nan("")}) {
        tone.start(hz, 200);
        EXPECT_FALSE(tone.active()) << hz;
    }
    tone.start(440.0, 0);
    EXPECT_NEAR(SoundingFrames(Render(tone, 4800)), 2 * kRate * BeepTone::kFadeMs / 1000, 2);
}

TEST(BeepRequestsTest, HandsOverTheLatestRequestOnce) {
    BeepRequests requests;
    int hz = 0, ms = 0;
    EXPECT_FALSE(requests.take(hz, ms));

    requests.post(440, 200);
    requests.post(880, 150);
    ASSERT_TRUE(requests.take(hz, ms));
    EXPECT_EQ(hz, 880);
    EXPECT_EQ(ms, 150);
    EXPECT_FALSE(requests.take(hz, ms));

    requests.post(880, 150);  // the same beep again is a new beep
    EXPECT_TRUE(requests.take(hz, ms));
    requests.post(-5, 5'000'000);
    ASSERT_TRUE(requests.take(hz, ms));
    EXPECT_EQ(hz, 0);
    EXPECT_EQ(ms, (1 << 20) - 1);
}

}  // namespace
}  // namespace velmora
