// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

namespace velmora {

// Keeps the synthesizer's output below full scale. General MIDI SoundFonts
// differ a lot in level (a string ensemble chord can be ten times louder than
// a piano note), so a gain that makes a single piano note clearly audible
// would clip big chords. The gain drops at once on a peak and recovers
// slowly, so the sound is not pumped or distorted.
class Limiter {
public:
    static constexpr float kCeiling = 0.89f;  // about -1 dBFS

    explicit Limiter(double sampleRate, double releaseSeconds = 0.25);

    // Works in place on one block of both channels. A sample that is not
    // finite comes out as silence.
    void process(float* left, float* right, int frames);

    float gain() const { return gain_; }

private:
    float gain_ = 1.0f;
    float release_;  // per-sample step back towards unity gain
};

}  // namespace velmora
