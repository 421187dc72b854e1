// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

// The built-in synthesizer's volume, in percent of the loudness it has
// always had. Twice that at most: the limiter already holds big chords of
// loud instruments down at the usual loudness, and above twice it would hold
// down nearly every chord, which pumps audibly.
inline constexpr int kUsualVolume = 100;
inline constexpr int kLoudestVolume = 200;

// What the user asked of the sound, from the command line, the remembered
// choices or the Sound dialog; every choice is optional.
struct SoundOptions {
    // A file chosen by the user, else the system's GM SoundFont.
    std::optional<std::string> soundFont;
    // A driver chosen by the user, else the best that starts.
    std::optional<std::string> audioDriver;
    // Any synthesizer setting, name=value.
    std::vector<std::pair<std::string, std::string>> synthSettings;
    // 0..kLoudestVolume; empty: the usual. A synth.gain setting overrides it.
    std::optional<int> volume;
    std::optional<std::string> midiOut;  // a port's number or part of its name; "0": built in
    std::optional<std::string> midiLog;  // a file that gets every message sent
};

// Whether the synthesizer settings given for this run include `name`.
inline bool HasSynthSetting(const SoundOptions& options, std::string_view name) {
    for (const auto& setting : options.synthSettings) {
        if (setting.first == name) return true;
    }
    return false;
}

}  // namespace velmora
