#pragma once

#include <array>
#include <vector>

namespace velmora {

// The room the built-in synthesizer plays in: mono in, a stereo tail out,
// added to the dry sound. Eight delay lines feed back through an orthogonal
// mix, so the tail is dense and decays evenly; two all-pass filters smear
// the input first. It works on whole blocks, four floats at a time: about a
// tenth of what FluidSynth's own reverb costs, which took more time than the
// ten voices of a chord together.
//
// The controls are FluidSynth's reverb settings, with the same ranges and
// about the same effect, so a user's `-o synth.reverb.*` still applies.
class RoomReverb {
public:
    struct Room {
        double size = 0.2;     // 0..1: how long the tail lasts
        double damping = 0.0;  // 0..1: how much sooner high frequencies die away
        double width = 0.5;    // 0..100: how far the tail spreads left and right
        double level = 0.9;    // 0..1: how loud the tail is
    };

    // Frames per step. The reply to the input starts one block later: a
    // 1.3 ms pre-delay at 48 kHz, which any room has anyway.
    static constexpr int kBlock = 64;

    RoomReverb(double sampleRate, const Room& room);

    // Adds the room's reply to `input` into `left` and `right`.
    void process(const float* input, float* left, float* right, int frames);

    // False once the input has been silent and the tail has died away below
    // hearing; then process() with silence adds nothing and may be skipped.
    bool ringing() const { return ringing_; }
    // Forgets the tail at once.
    void clear();

    // Seconds for the tail to fall by 60 dB.
    double decayTime() const { return decayTime_; }

private:
    static constexpr int kLines = 8;
    static constexpr int kDiffusers = 2;

    // A circular buffer read and written a whole block at a time. Its length
    // is a multiple of kBlock, so a block is always written in one piece;
    // the first block is mirrored past the end, so any block can be read in
    // one piece too, and the last sample before the start, so the sample
    // before any block can be read as well.
    class Ring {
    public:
        // Room for a delay of up to `longestDelay` frames.
        void resize(int longestDelay);
        void clear();
        // The block written `delay` frames before the one about to be written.
        const float* delayed(int delay) const;
        float* next() { return samples_.data() + 1 + write_; }
        // After next() has been filled.
        void advance();

    private:
        std::vector<float> samples_;
        int length_ = 0;
        int write_ = 0;
    };

    void runBlock();

    double decayTime_ = 0.0;
    std::array<Ring, kLines> lines_;
    std::array<int, kLines> lineDelay_{};
    std::array<float, kLines> lineGain_{};  // the decay, per pass through a line
    std::array<Ring, kDiffusers> diffusers_;
    std::array<int, kDiffusers> diffuserDelay_{};
    float damping_ = 0.0f;   // weight of the previous sample
    float wetSame_ = 0.0f;   // each side's own tail
    float wetOther_ = 0.0f;  // the other side's, for width

    // What has come in of the current block, and the reply being played out.
    std::array<float, kBlock> input_{};
    std::array<float, kBlock> replyLeft_{};
    std::array<float, kBlock> replyRight_{};
    int filled_ = 0;

    bool ringing_ = false;
    int quietBlocks_ = 0;  // blocks since anything came in or went out
    int quietBlocksToStop_ = 1;
};

}  // namespace velmora
