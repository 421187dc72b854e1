// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include "model/exercise_table.h"

namespace velmora {

class CheckList;

// Replaces the pitch selection with a plan's, one check at a time, as if the
// user had clicked them; nothing else changes.
void mnuSelectExercise_Click(CheckList& lstPitch, int index);

}  // namespace velmora
