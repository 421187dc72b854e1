// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "support/sound_test_support.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "midi/synth/synth_engine.h"

namespace velmora::soundtest {

double EstimatePitch(const std::vector<float>& samples, double sampleRate, double minHz,
                     double maxHz) {
    const auto minLag = static_cast<std::size_t>(sampleRate / maxHz);
    const auto maxLag = static_cast<std::size_t>(sampleRate / minHz) + 1;
    if (minLag < 2 || samples.size() < 2 * maxLag) return 0.0;
    const std::size_t window = samples.size() - maxLag;

    // Cumulative-mean-normalised difference: 1 on average, near 0 at the period.
    std::vector<double> normalised(maxLag + 1, 1.0);
    double runningSum = 0.0;
    for (std::size_t lag = 1; lag <= maxLag; ++lag) {
        double difference = 0.0;
        for (std::size_t i = 0; i < window; ++i) {
            const double d = double(samples[i]) - double(samples[i + lag]);
            difference += d * d;
        }
        runningSum += difference;
        normalised[lag] = runningSum > 0 ? difference * double(lag) / runningSum : 1.0;
    }

    constexpr double kThreshold = 0.15;
    std::size_t best = 0;
    for (std::size_t lag = minLag; lag < maxLag; ++lag) {
        if (normalised[lag] < kThreshold) {
            while (lag + 1 < maxLag && normalised[lag + 1] < normalised[lag]) ++lag;
            best = lag;
            break;
        }
    }
    if (best == 0) return 0.0;
    // Parabola through the dip and its neighbours for a fractional period.
    const double a = normalised[best - 1], b = normalised[best], c = normalised[best + 1];
    const double denominator = a - 2 * b + c;
    const double shift = denominator != 0 ? 0.5 * (a - c) / denominator : 0.0;
    return sampleRate / (double(best) + shift);
}

double Rms(const std::vector<float>& samples, std::size_t begin, std::size_t end) {
    end = std::min(end, samples.size());
    if (begin >= end) return 0.0;
    double sum = 0.0;
    for (std::size_t i = begin; i < end; ++i) sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(end - begin));
}

double SoundingSeconds(const std::vector<float>& samples, double sampleRate, double fraction) {
    const auto step = std::max<std::size_t>(1, static_cast<std::size_t>(sampleRate / 1000));
    std::vector<double> envelope;
    for (std::size_t at = 0; at + step <= samples.size(); at += step) {
        envelope.push_back(Rms(samples, at, at + step));
    }
    const auto peak = std::max_element(envelope.begin(), envelope.end());
    if (peak == envelope.end() || *peak <= 0.0) return 0.0;
    const double threshold = *peak * fraction;
    auto above = [threshold](double value) { return value >= threshold; };
    const auto first = std::find_if(envelope.begin(), envelope.end(), above);
    const auto last = std::find_if(envelope.rbegin(), envelope.rend(), above).base();
    return double(std::distance(first, last)) * double(step) / sampleRate;
}

std::vector<float> RenderMono(SynthEngine& engine, int frames) {
    std::vector<float> left(static_cast<std::size_t>(frames)), right(left.size());
    engine.render(left.data(), right.data(), frames);
    for (std::size_t i = 0; i < left.size(); ++i) left[i] = 0.5f * (left[i] + right[i]);
    return left;
}

}  // namespace velmora::soundtest
