#include "midi/room_reverb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace velmora {
namespace {

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;
};

// Feeds `input` through a room in pieces of `piece` frames, then `extra`
// frames of silence.
Stereo Reply(RoomReverb& room, std::vector<float> input, int piece, int extra = 0) {
    input.resize(input.size() + extra, 0.0f);
    Stereo out{std::vector<float>(input.size()), std::vector<float>(input.size())};
    for (std::size_t done = 0; done < input.size(); done += piece) {
        const int count = static_cast<int>(std::min<std::size_t>(piece, input.size() - done));
        room.process(input.data() + done, out.left.data() + done, out.right.data() + done, count);
    }
    return out;
}

std::vector<float> Impulse() {
    return {1.0f};
}

std::vector<float> Noise(int frames) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    std::vector<float> noise(frames);
    for (float& sample : noise) sample = uniform(random);
    return noise;
}

double Energy(const std::vector<float>& samples, std::size_t from, std::size_t to) {
    double energy = 0.0;
    for (std::size_t i = from; i < std::min(to, samples.size()); ++i)
        energy += samples[i] * samples[i];
    return energy;
}

// dB per second the tail falls, from its energy over two stretches.
double DecayRate(const std::vector<float>& tail, double sampleRate, double from, double to) {
    const auto window = static_cast<std::size_t>(0.1 * sampleRate);
    const auto at = [&](double seconds) {
        const auto start = static_cast<std::size_t>(seconds * sampleRate);
        return 10 * std::log10(Energy(tail, start, start + window));
    };
    return (at(from) - at(to)) / (to - from);
}

TEST(RoomReverbTest, TheTailFallsBySixtyDecibelsInTheDecayTime) {
    for (const double rate : {22050.0, 48000.0, 96000.0}) {
        for (const double size : {0.0, 0.2, 0.5}) {
            SCOPED_TRACE(testing::Message() << rate << " Hz, size " << size);
            RoomReverb room(rate, {.size = size});
            const Stereo reply = Reply(room, Impulse(), 64, static_cast<int>(3 * rate));
            // Late enough that the echoes have become a dense tail.
            const double rate60 = 60.0 / room.decayTime();
            EXPECT_NEAR(DecayRate(reply.left, rate, 0.3, 0.7), rate60, 0.1 * rate60);
        }
    }
    RoomReverb small(48000, {.size = 0.0});
    RoomReverb large(48000, {.size = 0.8});
    EXPECT_LT(small.decayTime(), RoomReverb(48000, {}).decayTime());
    EXPECT_GT(large.decayTime(), 4 * small.decayTime());
}

TEST(RoomReverbTest, TheSameReplyHoweverTheInputIsCutIntoPieces) {
    // The lines wrap around many times; the room falls silent in the middle
    // and a new sound starts it again.
    std::vector<float> input = Noise(48000);
    input.resize(4 * 48000, 0.0f);
    const std::vector<float> again = Noise(4800);
    input.insert(input.end(), again.begin(), again.end());
    RoomReverb blocks(48000, {});
    const Stereo expected = Reply(blocks, input, 64, 96000);
    ASSERT_GT(Energy(expected.left, 4 * 48000, expected.left.size()), 0.0);
    for (const int piece : {1, 37, 100, 256, 1000, static_cast<int>(input.size())}) {
        SCOPED_TRACE(piece);
        RoomReverb room(48000, {});
        const Stereo reply = Reply(room, input, piece, 96000);
        EXPECT_EQ(reply.left, expected.left);
        EXPECT_EQ(reply.right, expected.right);
    }
}

TEST(RoomReverbTest, NeverGrowsEvenInTheLargestRoom) {
    for (const double damping : {0.0, 1.0}) {
        SCOPED_TRACE(damping);
        RoomReverb room(48000, {.size = 1.0, .damping = damping, .width = 100.0, .level = 1.0});
        const Stereo reply = Reply(room, Noise(10 * 48000), 256, 48000);
        const auto stretch = [&](double seconds) {
            const auto start = static_cast<std::size_t>(seconds * 48000);
            return Energy(reply.left, start, start + 48000);
        };
        EXPECT_TRUE(std::all_of(reply.left.begin(), reply.left.end(),
                                [](float sample) { return std::isfinite(sample); }));
        // Fed steadily, the level settles instead of climbing.
        EXPECT_LT(stretch(8), 1.2 * stretch(4));
        // Once the input stops, it falls.
        EXPECT_LT(stretch(10), stretch(8));
    }
}

TEST(RoomReverbTest, FallsSilentAfterTheTailAndThenCostsNothing) {
    RoomReverb room(48000, {});
    EXPECT_FALSE(room.ringing());
    Stereo reply = Reply(room, Noise(4800), 64);
    EXPECT_TRUE(room.ringing());
    reply = Reply(room, {}, 64, static_cast<int>(3 * room.decayTime() * 48000));
    EXPECT_FALSE(room.ringing()) << "still ringing " << 3 * room.decayTime() << " s later";
    // Silence into a silent room leaves what is already there alone.
    std::vector<float> silence(256, 0.0f);
    std::vector<float> left(256, 0.25f);
    std::vector<float> right(256, 0.25f);
    room.process(silence.data(), left.data(), right.data(), 256);
    EXPECT_EQ(left, std::vector<float>(256, 0.25f));

    // A new sound starts the room again, and clear() cuts its tail at once.
    Reply(room, Noise(4800), 64);
    EXPECT_TRUE(room.ringing());
    room.clear();
    EXPECT_FALSE(room.ringing());
    reply = Reply(room, {}, 64, 48000);
    EXPECT_EQ(Energy(reply.left, 0, 48000) + Energy(reply.right, 0, 48000), 0.0);
}

TEST(RoomReverbTest, WidthSpreadsTheTailAcrossLeftAndRight) {
    const auto correlation = [](double width) {
        RoomReverb room(48000, {.width = width});
        const Stereo reply = Reply(room, Noise(9600), 64, 48000);
        double both = 0.0;
        for (std::size_t i = 0; i < reply.left.size(); ++i) both += reply.left[i] * reply.right[i];
        return both / std::sqrt(Energy(reply.left, 0, reply.left.size()) *
                                Energy(reply.right, 0, reply.right.size()));
    };
    EXPECT_NEAR(correlation(0.0), 1.0, 1e-6);  // the same tail on both sides
    EXPECT_NEAR(correlation(1.0), 0.0, 0.1);   // as far apart as they go
    const double standard = correlation(0.5);
    EXPECT_GT(standard, 0.3);
    EXPECT_LT(standard, 0.9);
}

TEST(RoomReverbTest, DampingShortensTheHighsMoreThanTheLows) {
    // How much of the late tail is high, by a first difference (a gentle high-pass).
    const auto highShare = [](double damping) {
        RoomReverb room(48000, {.damping = damping});
        const Stereo reply = Reply(room, Noise(4800), 64, 48000);
        double high = 0.0;
        double all = 0.0;
        for (std::size_t i = 24000; i < reply.left.size(); ++i) {
            const double step = reply.left[i] - reply.left[i - 1];
            high += step * step;
            all += reply.left[i] * reply.left[i];
        }
        return high / all;
    };
    EXPECT_LT(highShare(1.0), 0.5 * highShare(0.0));
}

TEST(RoomReverbTest, LevelScalesTheTail) {
    RoomReverb loud(48000, {.level = 0.8});
    RoomReverb soft(48000, {.level = 0.2});
    const Stereo a = Reply(loud, Noise(4800), 64, 9600);
    const Stereo b = Reply(soft, Noise(4800), 64, 9600);
    EXPECT_NEAR(Energy(a.left, 0, a.left.size()) / Energy(b.left, 0, b.left.size()), 16.0, 0.01);
}

// The settings come from the command line; what FluidSynth lets through
// must not turn the room into noise.
TEST(RoomReverbTest, SettingsThatAreNotNumbersGiveTheDefaultRoom) {
    RoomReverb standard(48000, RoomReverb::Room{});
    const Stereo expected = Reply(standard, Noise(4800), 256, 48000);
    for (const double wrong : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        SCOPED_TRACE(wrong);
        RoomReverb room(48000, RoomReverb::Room{wrong, wrong, wrong, wrong});
        EXPECT_EQ(room.decayTime(), standard.decayTime());
        const Stereo reply = Reply(room, Noise(4800), 256, 48000);
        EXPECT_EQ(reply.left, expected.left);
        EXPECT_EQ(reply.right, expected.right);
    }
}

}  // namespace
}  // namespace velmora
