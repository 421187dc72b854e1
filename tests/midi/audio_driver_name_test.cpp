// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/audio_driver_name.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(AudioDriverDisplayName, PlainWordsWithTheDriversOwnNameInBrackets) {
    EXPECT_EQ(AudioDriverDisplayName("pulseaudio"), "Desktop sound server (pulseaudio)");
    EXPECT_EQ(AudioDriverDisplayName("pulse-stream"),
              "Sound server, trainer's own stream (pulse-stream)");
    EXPECT_EQ(AudioDriverDisplayName("alsa"), "Sound card directly (alsa)");
    EXPECT_EQ(AudioDriverDisplayName("jack"), "JACK audio server (jack)");
    EXPECT_EQ(AudioDriverDisplayName("pipewire"), "PipeWire (pipewire)");
    EXPECT_EQ(AudioDriverDisplayName("oss"), "Open Sound System (oss)");
    EXPECT_EQ(AudioDriverDisplayName("sdl2"), "SDL audio (sdl2)");
    EXPECT_EQ(AudioDriverDisplayName("portaudio"), "PortAudio (portaudio)");
    EXPECT_EQ(AudioDriverDisplayName("file"), "Write to a file (file)");
}

// Only exact names: a driver FluidSynth gains later, or one that merely
// looks like ours, is shown bare rather than under another's words.
TEST(AudioDriverDisplayName, AnyOtherNameIsShownBare) {
    for (const std::string name : {"coreaudio", "ALSA", "alsa ", "pulse", "", "sndman"}) {
        EXPECT_EQ(AudioDriverDisplayName(name), name);
    }
}

}  // namespace
}  // namespace velmora
