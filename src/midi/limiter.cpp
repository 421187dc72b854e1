#include "midi/limiter.h"

#include <algorithm>
#include <cmath>

namespace velmora {

Limiter::Limiter(double sampleRate, double releaseSeconds)
    : release_(static_cast<float>(1.0 / std::max(1.0, sampleRate * releaseSeconds))) {}

void Limiter::process(float* left, float* right, int frames) {
    // Most blocks are well below the ceiling at full gain: one quick look at
    // the peak (which the compiler vectorises) instead of the gain's
    // sample-by-sample recurrence.
    if (gain_ >= 1.0f) {
        float peak = 0.0f;
        for (int i = 0; i < frames; ++i) {
            peak = std::max(peak, std::max(std::fabs(left[i]), std::fabs(right[i])));
        }
        if (peak <= kCeiling) return;
    }
    for (int i = 0; i < frames; ++i) {
        const float peak = std::max(std::fabs(left[i]), std::fabs(right[i]));
        gain_ = std::min(1.0f, gain_ + release_);
        if (peak * gain_ > kCeiling) gain_ = kCeiling / peak;
        left[i] *= gain_;
        right[i] *= gain_;
    }
}

}  // namespace velmora
