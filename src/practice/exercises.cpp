// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "practice/exercises.h"

#include "model/controls.h"
#include "model/exercise_table.h"

namespace velmora {

void mnuSelectExercise_Click(CheckList& lstPitch, int index) {
    if (index < 0 || index >= static_cast<int>(kExercises.size())) return;
    const std::string_view mask = kExercises[index].mask;
    for (int item = 0; item < lstPitch.count(); ++item) lstPitch.setSelected(item, false);
    for (std::size_t k = 0; k < mask.size(); ++k) {
        if (mask[k] == '1') lstPitch.setSelected(static_cast<int>(k), true);
    }
}

}  // namespace velmora
