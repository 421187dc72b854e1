// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <string>

namespace velmora {

// An audio driver as the learner reads it: what it plays through in plain
// words, with the driver's own name in brackets ("Sound card directly
// (alsa)"); a name we have no words for, as it is. The driver's own name
// stays what is remembered and handed to the synthesizer.
std::string AudioDriverDisplayName(const std::string& driver);

}  // namespace velmora
