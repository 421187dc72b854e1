// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "model/exercise_table.h"

namespace velmora {

const std::array<Exercise, 22> kExercises = {{
    {"Diminished Exercise 1 (F#, Eb)", "000100100000"},
    {"Diminished Exercise 2 (F#, Eb, A)", "000100100100"},
    {"Diminished Exercise 3 (F#, Eb, A, C)", "100100100100"},
    {"Diminished Exercise 4 (F#, Eb, A, C, C#)", "110100100100"},
    {"Diminished Exercise 5 (F#, Eb, A, C, C#, E)", "110110100100"},
    {"Diminished Exercise 6 (F#, Eb, A, C, C#, E, G)", "110110110100"},
    {"Diminished Exercise 7 (F#, Eb, A, C, C#, E, G, Bb)", "110110110110"},
    {"Diminished Exercise 8 (F#, Eb, A, C, C#, E, G, Bb, D)", "111110110110"},
    {"Diminished Exercise 9 (F#, Eb, A, C, C#, E, G, Bb, D, F)", "111111110110"},
    {"Diminished Exercise 10 (F#, Eb, A, C, C#, E, G, Bb, D, F, Ab)", "111111111110"},
    {"Diminished Exercise 11 (F#, Eb, A, C, C#, E, G, Bb, D, F, Ab, B)", "111111111111"},
    {"Diatonic Exercise 1 (C, D)", "101000000000"},
    {"Diatonic Exercise 2 (C, D, E)", "101010000000"},
    {"Diatonic Exercise 3 (C, D, E, F)", "101011000000"},
    {"Diatonic Exercise 4 (C, D, E, F, G)", "101011010000"},
    {"Diatonic Exercise 5 (C, D, E, F, G, A)", "101011010100"},
    {"Diatonic Exercise 6 (C, D, E, F, G, A, B)", "101011010101"},
    {"Diatonic Exercise 7 (C, D, E, F, G, A, B, F#)", "101011110101"},
    {"Diatonic Exercise 8 (C, D, E, F, G, A, B, F#, C#)", "111011110101"},
    {"Diatonic Exercise 9 (C, D, E, F, G, A, B, F#, C#, Eb)", "111111110101"},
    {"Diatonic Exercise 10 (C, D, E, F, G, A, B, F#, C#, Eb, Ab)", "111111111101"},
    {"Diatonic Exercise 11 (C, D, E, F, G, A, B, F#, C#, Eb, Ab, Bb)", "111111111111"},
}};

}  // namespace velmora
