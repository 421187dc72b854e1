// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "scoring/spelling.h"

namespace velmora {

const std::array<std::array<std::string_view, kPitchClasses>, 12> kSpellingTable = {{
    {{"C", "C#", "D", "Eb", "E", "F", "F#", "G", "G#", "A", "Bb", "B"}},      // 0
    {{"C", "Db", "D", "Eb", "Fb", "F", "Gb", "G", "Ab", "A", "Bb", "Cb"}},    // 1
    {{"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"}},      // 2
    {{"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"}},      // 3
    {{"B#", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"}},     // 4
    {{"C", "C#", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"}},      // 5
    {{"B#", "C#", "Cx", "D#", "E", "E#", "F#", "Fx", "G#", "A", "A#", "B"}},  // 6
    {{"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "Bb", "B"}},      // 7
    {{"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "Cb"}},     // 8
    {{"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"}},      // 9
    {{"C", "Db", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"}},      // 10
    {{"B#", "C#", "D", "D#", "E", "E#", "F#", "Fx", "G#", "A", "A#", "B"}},   // 11
}};

std::string NoteLabel(int note, const std::array<std::string, kPitchClasses>& pitchNames) {
    // Floor division, so that even a note below 0 gets a name rather than an
    // index outside the table.
    const int pitchClass = ((note % kPitchClasses) + kPitchClasses) % kPitchClasses;
    const int octave =
        static_cast<int>((static_cast<long long>(note) - pitchClass) / kPitchClasses) - 1;
    return pitchNames[pitchClass] + std::to_string(octave);
}

void Spelling::lstKeySignature_Click() {
    const int key = panel_.lstKeySignature.listIndex();
    if (key < 0 || key >= static_cast<int>(kSpellingTable.size())) return;
    for (int pitchClass = 0; pitchClass < kPitchClasses; ++pitchClass) {
        state_.pitchNames[pitchClass] = kSpellingTable[key][pitchClass];
    }
    for (int i = 0; i < kPitchClasses; ++i) {
        panel_.lstPitch.setItemText(i, state_.pitchNames[i]);
        panel_.cmdAnswerButton[i].setCaption(state_.pitchNames[i]);
        panel_.mnu_keyshortcut[i].setCaption(state_.pitchNames[i] + " = " + state_.shortcutKeys[i]);
    }
}

}  // namespace velmora
