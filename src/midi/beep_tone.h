// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <atomic>
#include <cstdint>

namespace velmora {

// The wrong-answer tone: a sine with short raised-cosine fades so it starts
// and stops without a click. Lives on the audio thread; start() it there.
class BeepTone {
public:
    // Peak level by default: its loudness (RMS) is that of a forte piano note
    // from the synthesizer at its default gain, so the tone is plainly heard
    // without standing out from the music.
    static constexpr float kLevel = 0.012f;
    static constexpr double kFadeMs = 5.0;

    explicit BeepTone(double sampleRate, float peak = kLevel);

    // Starts (or restarts) the tone; durations shorter than both fades are
    // lengthened to them. A frequency outside the audible band is ignored.
    void start(double frequencyHz, int durationMs);
    bool active() const { return position_ < length_; }
    void stop() { position_ = length_; }

    // Adds the next frames of the tone to both channels.
    void mixInto(float* left, float* right, int frames);

private:
    double sampleRate_;
    float peak_;
    // The tone's phase as a point on the unit circle, turned by one step per
    // sample: a rotation instead of a sine per sample.
    double cosine_ = 1.0;
    double sine_ = 0.0;
    double stepCosine_ = 1.0;
    double stepSine_ = 0.0;
    std::int64_t position_ = 0;
    std::int64_t length_ = 0;
    std::int64_t fade_ = 0;
};

// Hands beep requests from the GUI thread to the audio thread without locks:
// one atomic word holds the latest request and a sequence number.
class BeepRequests {
public:
    // Any thread. A newer request replaces one not yet taken.
    void post(int frequencyHz, int durationMs);
    // Audio thread only: the latest request posted since the previous take.
    bool take(int& frequencyHz, int& durationMs);

private:
    std::atomic<std::uint64_t> slot_{0};
    std::uint64_t seen_ = 0;
    static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
};

}  // namespace velmora
