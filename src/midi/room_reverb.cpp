#include "midi/room_reverb.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace velmora {

namespace {

// Delay lengths at 48 kHz, 21 to 44 ms: no two share a factor, so their
// echoes never line up into a pitch.
constexpr std::array<int, 8> kLineFrames = {1031, 1153, 1289, 1433, 1571, 1733, 1907, 2111};
constexpr std::array<int, 2> kDiffuserFrames = {149, 211};
constexpr float kDiffusion = 0.5f;

// How long the tail lasts against the room size, as FluidSynth's reverb
// does it at these sizes; sizes between are interpolated on a log scale.
constexpr std::array<std::array<double, 2>, 5> kDecayBySize = {
    {{0.0, 0.78}, {0.2, 1.06}, {0.5, 1.95}, {0.8, 5.5}, {1.0, 30.0}}};

// Sets the tail's loudness so that the default room, heard across the piano's
// range, is as loud against the dry sound as FluidSynth's own reverb at its
// defaults.
constexpr double kOutputGain = 0.23;

// Below the last bit of 24-bit audio: the tail has died away.
constexpr float kSilent = 1e-7f;

// FluidSynth's range check, which the room's settings pass first, lets NaN
// through: a setting that is not finite is the default room's.
double Setting(double value, double low, double high, double fallback) {
    return std::isfinite(value) ? std::clamp(value, low, high) : fallback;
}

double DecayTime(double size) {
    size = Setting(size, 0.0, 1.0, RoomReverb::Room{}.size);
    for (std::size_t i = 1; i < kDecayBySize.size(); ++i) {
        const auto [upperSize, upperTime] = kDecayBySize[i];
        if (size > upperSize) continue;
        const auto [lowerSize, lowerTime] = kDecayBySize[i - 1];
        const double along = (size - lowerSize) / (upperSize - lowerSize);
        return lowerTime * std::pow(upperTime / lowerTime, along);
    }
    return kDecayBySize.back()[1];
}

int Scaled(int frames48k, double sampleRate) {
    // Never shorter than a block: a block is read before it is written.
    return std::max(RoomReverb::kBlock,
                    static_cast<int>(std::lround(frames48k * sampleRate / 48000.0)));
}

// Four frames at a time, in whatever vector registers the target has.
using Quad = float __attribute__((vector_size(16)));
constexpr int kQuad = 4;

Quad Load(const float* from) {
    Quad quad;
    std::memcpy(&quad, from, sizeof quad);
    return quad;
}

void Store(float* to, Quad quad) {
    std::memcpy(to, &quad, sizeof quad);
}

Quad Splat(float value) {
    return Quad{value, value, value, value};
}

// Whether every sample of a block is below `level`.
bool Below(const float* block, float level) {
    Quad energy = Splat(0.0f);
    for (int t = 0; t < RoomReverb::kBlock; t += kQuad) {
        const Quad samples = Load(block + t);
        energy += samples * samples;
    }
    return energy[0] + energy[1] + energy[2] + energy[3] < level * level;
}

bool Silent(const float* from, const float* to) {
    return std::all_of(from, to, [](float sample) { return sample == 0.0f; });
}

void AddInto(float* to, const float* from, int frames) {
    int t = 0;
    for (; t + kQuad <= frames; t += kQuad) Store(to + t, Load(to + t) + Load(from + t));
    for (; t < frames; ++t) to[t] += from[t];
}

}  // namespace

void RoomReverb::Ring::resize(int longestDelay) {
    length_ = (longestDelay + kBlock + kBlock - 1) / kBlock * kBlock;
    samples_.assign(static_cast<std::size_t>(1 + length_ + kBlock), 0.0f);
    write_ = 0;
}

void RoomReverb::Ring::clear() {
    std::fill(samples_.begin(), samples_.end(), 0.0f);
}

const float* RoomReverb::Ring::delayed(int delay) const {
    return samples_.data() + 1 + (write_ - delay + length_) % length_;
}

void RoomReverb::Ring::advance() {
    float* start = samples_.data() + 1;
    if (write_ == 0) std::copy_n(start, kBlock, start + length_);
    if (write_ == length_ - kBlock) start[-1] = start[length_ - 1];
    write_ = (write_ + kBlock) % length_;
}

RoomReverb::RoomReverb(double sampleRate, const Room& room) : decayTime_(DecayTime(room.size)) {
    int longest = 0;
    for (int i = 0; i < kLines; ++i) {
        lineDelay_[i] = Scaled(kLineFrames[i], sampleRate);
        lineGain_[i] =
            static_cast<float>(std::pow(10.0, -3.0 * lineDelay_[i] / (decayTime_ * sampleRate)));
        longest = std::max(longest, lineDelay_[i]);
    }
    for (Ring& line : lines_) line.resize(longest);
    for (int i = 0; i < kDiffusers; ++i) {
        diffuserDelay_[i] = Scaled(kDiffuserFrames[i], sampleRate);
        diffusers_[i].resize(diffuserDelay_[i]);
    }
    const Room standard;
    damping_ = static_cast<float>(0.25 * Setting(room.damping, 0.0, 1.0, standard.damping));
    const double level = Setting(room.level, 0.0, 1.0, standard.level) * kOutputGain;
    const double width = Setting(room.width, 0.0, 100.0, standard.width);
    wetSame_ = static_cast<float>(level * (width / 2 + 0.5));
    wetOther_ = static_cast<float>(level * (1 - width) / 2);
    // Whatever is still in a line reaches the output within its delay.
    quietBlocksToStop_ = longest / kBlock + 2;
}

void RoomReverb::clear() {
    for (Ring& line : lines_) line.clear();
    for (Ring& diffuser : diffusers_) diffuser.clear();
    input_.fill(0.0f);
    replyLeft_.fill(0.0f);
    replyRight_.fill(0.0f);
    filled_ = 0;
    ringing_ = false;
    quietBlocks_ = 0;
}

void RoomReverb::process(const float* input, float* left, float* right, int frames) {
    if (!ringing_) {
        if (Silent(input, input + frames)) return;
        ringing_ = true;
    }
    for (int done = 0; done < frames;) {
        const int count = std::min(frames - done, kBlock - filled_);
        std::copy_n(input + done, count, input_.begin() + filled_);
        AddInto(left + done, replyLeft_.data() + filled_, count);
        AddInto(right + done, replyRight_.data() + filled_, count);
        filled_ += count;
        done += count;
        if (filled_ == kBlock) {
            runBlock();
            filled_ = 0;
            // Once the tail has died away, only new sound starts it again.
            if (!ringing_) {
                if (Silent(input + done, input + frames)) return;
                ringing_ = true;
            }
        }
    }
}

void RoomReverb::runBlock() {
    // The input, smeared by the diffusers.
    std::array<float, kBlock> in = input_;
    for (int d = 0; d < kDiffusers; ++d) {
        const float* delayed = diffusers_[d].delayed(diffuserDelay_[d]);
        float* written = diffusers_[d].next();
        const Quad diffusion = Splat(kDiffusion);
        for (int t = 0; t < kBlock; t += kQuad) {
            const Quad old = Load(delayed + t);
            const Quad fed = Load(in.data() + t) + diffusion * old;
            Store(in.data() + t, old - diffusion * fed);
            Store(written + t, fed);
        }
        diffusers_[d].advance();
    }

    // Each line's output, damped and decayed.
    float out[kLines][kBlock];
    for (int i = 0; i < kLines; ++i) {
        const float* delayed = lines_[i].delayed(lineDelay_[i]);
        const Quad now = Splat(lineGain_[i] * (1.0f - damping_));
        const Quad before = Splat(lineGain_[i] * damping_);
        for (int t = 0; t < kBlock; t += kQuad) {
            Store(out[i] + t, now * Load(delayed + t) + before * Load(delayed + t - 1));
        }
    }

    // Two uncorrelated mixes of the lines make the left and right tails.
    // Then the lines feed back through an 8x8 Hadamard matrix: every line
    // feeds every other and the mix neither gains nor loses energy.
    float wetLeft[kBlock];
    float wetRight[kBlock];
    float* next[kLines];
    for (int i = 0; i < kLines; ++i) next[i] = lines_[i].next();
    const Quad scale = Splat(1.0f / std::sqrt(float(kLines)));
    for (int t = 0; t < kBlock; t += kQuad) {
        Quad o[kLines];
        for (int i = 0; i < kLines; ++i) o[i] = Load(out[i] + t);
        const Quad a0 = o[0] + o[1], a1 = o[0] - o[1], a2 = o[2] + o[3], a3 = o[2] - o[3];
        const Quad a4 = o[4] + o[5], a5 = o[4] - o[5], a6 = o[6] + o[7], a7 = o[6] - o[7];
        const Quad b0 = a0 + a2, b2 = a0 - a2, b1 = a1 + a3, b3 = a1 - a3;
        const Quad b4 = a4 + a6, b6 = a4 - a6, b5 = a5 + a7, b7 = a5 - a7;
        Store(wetLeft + t, b1 + b5);
        Store(wetRight + t, b2 + b6);
        const Quad fed = Load(in.data() + t);
        Store(next[0] + t, scale * (b0 + b4) + fed);
        Store(next[1] + t, scale * (b1 + b5) - fed);
        Store(next[2] + t, scale * (b2 + b6) + fed);
        Store(next[3] + t, scale * (b3 + b7) - fed);
        Store(next[4] + t, scale * (b0 - b4) + fed);
        Store(next[5] + t, scale * (b1 - b5) - fed);
        Store(next[6] + t, scale * (b2 - b6) + fed);
        Store(next[7] + t, scale * (b3 - b7) - fed);
    }
    for (Ring& line : lines_) line.advance();
    const Quad same = Splat(wetSame_);
    const Quad other = Splat(wetOther_);
    for (int t = 0; t < kBlock; t += kQuad) {
        const Quad left = Load(wetLeft + t);
        const Quad right = Load(wetRight + t);
        Store(replyLeft_.data() + t, same * left + other * right);
        Store(replyRight_.data() + t, same * right + other * left);
    }

    const bool quiet = Below(input_.data(), kSilent) && Below(replyLeft_.data(), kSilent) &&
                       Below(replyRight_.data(), kSilent);
    quietBlocks_ = quiet ? quietBlocks_ + 1 : 0;
    if (quietBlocks_ >= quietBlocksToStop_) clear();
}

}  // namespace velmora
