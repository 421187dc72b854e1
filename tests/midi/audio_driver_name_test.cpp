// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/audio_driver_name.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// Only an exact name gets words: one FluidSynth gains later, or one that
// merely looks like ours, is shown bare rather than under another's words.
TEST(AudioDriverDisplayName, WordsForOurDriversAndAnyOtherNameBare) {
    EXPECT_EQ(AudioDriverDisplayName("pulseaudio"), "Desktop sound server (pulseaudio)");
    EXPECT_EQ(AudioDriverDisplayName("pulse-stream"),
              "Sound server, trainer's own stream (pulse-stream)");
    for (const std::string name : {"coreaudio", "ALSA", "alsa ", "pulse", ""}) {
        EXPECT_EQ(AudioDriverDisplayName(name), name);
    }
}

}  // namespace
}  // namespace velmora
