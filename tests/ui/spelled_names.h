// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <string>

#include "model/trainer_state.h"
#include "scoring/spelling.h"

namespace velmora::testing {

// The twelve pitch classes as the key signature at `key` in the list spells them.
inline std::array<std::string, kPitchClasses> SpelledNames(int key) {
    std::array<std::string, kPitchClasses> names;
    for (int i = 0; i < kPitchClasses; ++i) names[i] = kSpellingTable[key][i];
    return names;
}

}  // namespace velmora::testing
