// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/beep_tone.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

// Request word: sequence in bits 40-63, frequency in 20-39, duration in 0-19.
constexpr std::uint64_t kFieldMask = (1u << 20) - 1;
constexpr int kSequenceShift = 40;
constexpr std::uint64_t kSequenceMask = (std::uint64_t{1} << 24) - 1;

double Fade(std::int64_t fromEdge, std::int64_t fade) {
    if (fromEdge >= fade) return 1.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(fromEdge) /
                                static_cast<double>(fade));
}

}  // namespace

BeepTone::BeepTone(double sampleRate, float peak)
    : sampleRate_(sampleRate > 0 ? sampleRate : 48000.0), peak_(std::clamp(peak, 0.0f, 1.0f)) {}

void BeepTone::start(double frequencyHz, int durationMs) {
    if (!(frequencyHz >= 20.0 && frequencyHz < sampleRate_ / 2)) return;
    fade_ = std::max<std::int64_t>(1, std::llround(kFadeMs * sampleRate_ / 1000.0));
    length_ = std::max<std::int64_t>(2 * fade_,
                                     std::llround(std::max(durationMs, 0) * sampleRate_ / 1000.0));
    position_ = 0;
    cosine_ = 1.0;
    sine_ = 0.0;
    const double step = 2.0 * std::numbers::pi * frequencyHz / sampleRate_;
    stepCosine_ = std::cos(step);
    stepSine_ = std::sin(step);
}

void BeepTone::mixInto(float* left, float* right, int frames) {
    for (int i = 0; i < frames && position_ < length_; ++i, ++position_) {
        const bool fading = position_ < fade_ || length_ - 1 - position_ < fade_;
        const double envelope =
            fading ? std::min(Fade(position_, fade_), Fade(length_ - 1 - position_, fade_)) : 1.0;
        const auto sample = static_cast<float>(peak_ * envelope * sine_);
        left[i] += sample;
        right[i] += sample;
        const double cosine = cosine_ * stepCosine_ - sine_ * stepSine_;
        sine_ = sine_ * stepCosine_ + cosine_ * stepSine_;
        cosine_ = cosine;
    }
    // Rounding would slowly change the tone's level: back onto the circle.
    const double radius = std::sqrt(cosine_ * cosine_ + sine_ * sine_);
    cosine_ /= radius;
    sine_ /= radius;
}

void BeepRequests::post(int frequencyHz, int durationMs) {
    const auto hz = static_cast<std::uint64_t>(std::clamp(frequencyHz, 0, int(kFieldMask)));
    const auto ms = static_cast<std::uint64_t>(std::clamp(durationMs, 0, int(kFieldMask)));
    std::uint64_t old = slot_.load(std::memory_order_relaxed);
    std::uint64_t next;
    do {
        const std::uint64_t sequence = ((old >> kSequenceShift) + 1) & kSequenceMask;
        next = (sequence << kSequenceShift) | (hz << 20) | ms;
    } while (!slot_.compare_exchange_weak(old, next, std::memory_order_release,
                                          std::memory_order_relaxed));
}

bool BeepRequests::take(int& frequencyHz, int& durationMs) {
    const std::uint64_t value = slot_.load(std::memory_order_acquire);
    const std::uint64_t sequence = value >> kSequenceShift;
    if (sequence == seen_) return false;
    seen_ = sequence;
    frequencyHz = static_cast<int>((value >> 20) & kFieldMask);
    durationMs = static_cast<int>(value & kFieldMask);
    return true;
}

}  // namespace velmora
