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

extern const std::array<Exercise, 22> kExercises;

class CheckList;

// Replaces the pitch selection with a plan's, one check at a time, as if the
// user had clicked them; nothing else changes.
void mnuSelectExercise_Click(CheckList& lstPitch, int index);

}  // namespace velmora
