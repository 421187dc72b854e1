// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>

namespace velmora {

extern const std::array<const char*, 128> kInstrumentNames;

}  // namespace velmora
