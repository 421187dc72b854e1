#include "midi/limiter.h"

#include <algorithm>
#include <cmath>

namespace velmora {

Limiter::Limiter(double sampleRate, double releaseSeconds)
    : release_(static_cast<float>(1.0 / std::max(1.0, sampleRate * releaseSeconds))) {}

void Limiter::process(float* left, float* right, int frames) {
    for (int i = 0; i < frames; ++i) {
        const float peak = std::max(std::fabs(left[i]), std::fabs(right[i]));
        gain_ = std::min(1.0f, gain_ + release_);
        if (peak * gain_ > kCeiling) gain_ = kCeiling / peak;
        left[i] *= gain_;
        right[i] *= gain_;
    }
}

}  // namespace velmora
