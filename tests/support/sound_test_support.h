// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "testing/temp_dir.h"

namespace velmora {
class SynthEngine;
}

namespace velmora::soundtest {

// The SoundFont the synthesizer's levels, lengths and tuning were measured
// with, named by path: the system's default may be another font.
inline constexpr const char* kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// Skips the test (or fixture) it stands in, saying why, when that font is absent.
#define VELMORA_NEEDS_TEST_SOUNDFONT()                                        \
    do {                                                                      \
        if (!std::filesystem::exists(::velmora::soundtest::kTestSoundFont))   \
            GTEST_SKIP() << ::velmora::soundtest::kTestSoundFont              \
                         << " is not installed (Debian: timgm6mb-soundfont)"; \
    } while (false)

// The fundamental frequency of a mono window in Hz (a YIN-style estimate:
// the first clear dip of the normalised difference function, so a strong
// second harmonic does not pass for the pitch). 0 when there is no clear pitch.
double EstimatePitch(const std::vector<float>& samples, double sampleRate, double minHz = 50.0,
                     double maxHz = 2000.0);

double Rms(const std::vector<float>& samples, std::size_t begin, std::size_t end);

// Seconds from the first to the last moment the 1 ms envelope is above
// `fraction` of its peak; 0 for silence.
double SoundingSeconds(const std::vector<float>& samples, double sampleRate, double fraction = 0.5);

// The next `frames` of the engine's output, both channels averaged.
std::vector<float> RenderMono(SynthEngine& engine, int frames);

// Everything written to file descriptor 2 while it exists, by this process
// or by libraries (GoogleTest's capture of the descriptor): text() stops
// the capture and returns it.
class StderrCapture {
public:
    StderrCapture() { ::testing::internal::CaptureStderr(); }
    ~StderrCapture() {
        if (!stopped_) text();
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;
    // Once only.
    std::string text() {
        stopped_ = true;
        return ::testing::internal::GetCapturedStderr();
    }

private:
    bool stopped_ = false;
};

}  // namespace velmora::soundtest
