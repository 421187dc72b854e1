// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora {

// Where a General MIDI SoundFont is usually installed, most preferred first:
// the distribution's chosen default, then the common fonts by name.
const std::vector<std::string>& WellKnownSoundFonts();

// Empty when the file starts like a SoundFont (a RIFF 'sfbk' form, whole);
// else one line saying what is wrong with it.
std::string CheckSoundFontFile(const std::string& path);

struct SoundFontLookup {
    std::string path;   // the file to load; empty when there is none
    std::string error;  // why there is none, one line
};

// The user's file if one was chosen (no fallback: a typo must be reported),
// else the first good file among the candidates.
SoundFontLookup LocateSoundFont(const std::optional<std::string>& chosen,
                                const std::vector<std::string>& candidates = WellKnownSoundFonts());

// The name shown to the user: the file name without folder and extension.
std::string SoundFontName(const std::string& path);

}  // namespace velmora
