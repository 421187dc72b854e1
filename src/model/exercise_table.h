// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <string_view>

namespace velmora {

// A graded practice plan: the menu caption and which pitch classes it asks,
// as twelve "0"/"1" characters from C to B.
struct Exercise {
    std::string_view caption;
    std::string_view mask;
};

// Two series of eleven plans, each adding one pitch class per step.
extern const std::array<Exercise, 22> kExercises;

}  // namespace velmora
