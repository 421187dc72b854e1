// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/audio_driver_name.h"

#include <string_view>

namespace velmora {

namespace {

struct Words {
    std::string_view driver;
    std::string_view words;
};

constexpr Words kWords[] = {
    {"pulseaudio", "Desktop sound server"},
    {"pulse-stream", "Sound server, trainer's own stream"},
    {"alsa", "Sound card directly"},
    {"jack", "JACK audio server"},
    {"pipewire", "PipeWire"},
    {"oss", "Open Sound System"},
    {"sdl2", "SDL audio"},
    {"portaudio", "PortAudio"},
    {"file", "Write to a file"},
};

}  // namespace

std::string AudioDriverDisplayName(const std::string& driver) {
    for (const Words& entry : kWords) {
        if (entry.driver == driver) return std::string(entry.words) + " (" + driver + ")";
    }
    return driver;
}

}  // namespace velmora
