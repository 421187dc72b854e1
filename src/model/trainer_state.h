// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

class MidiOut;

// A MIDI note number, 0..127; 60 is C4, middle C.
using Note = std::int16_t;

inline constexpr int kPitchClasses = 12;
inline constexpr int PitchClassOf(int note) {
    return note % kPitchClasses;
}

// Every value the trainer holds outside its controls. The controls themselves
// are the settings store; these fields live as long as the window.
struct TrainerState {
    std::int16_t noteVelocity = 0;
    MidiOut* midiOutHandle = nullptr;  // the open output; null before opening and after closing
    std::int16_t noteOffset = 0;
    std::int16_t instrumentProgram = 0;
    std::int16_t tempo = 0;
    float notesPerBeat = 0.0f;
    std::int16_t noteRangeLow = 0;
    std::int16_t noteRangeHigh = 0;
    std::vector<Note> candidateNotes;
    std::vector<Note> questionNotes;
    std::string questionText;
    std::int16_t questionNumber = 0;
    std::vector<Note> answerNotes;
    std::int16_t rightCount = 0;
    std::int16_t wrongCount = 0;
    std::int16_t streak = 0;
    std::int16_t answerIndex = 0;
    std::int16_t matchCount = 0;
    std::int16_t mismatchCount = 0;
    std::array<std::string, kPitchClasses> pitchNames;
    std::array<std::string, kPitchClasses> shortcutKeys;
    std::vector<std::int16_t> shepardPitchClasses;
    std::int16_t shepardPitchClass = 0;
    bool exerciseRunning = false;
    bool repeatActive = false;
    std::string practiceStartClock;
    std::vector<std::string> responseLog;
    std::int16_t responseLogLast = -1;  // upper index of responseLog; -1 while it is empty
    // The coach's part in the current question, for the journal.
    bool questionChosenByCoach = false;
    bool earClearedBeforeQuestion = false;
};

// The keyboard letter of each pitch class, C to B.
inline constexpr std::array<const char*, kPitchClasses> kShortcutKeyLetters = {
    "C", "V", "D", "W", "E", "F", "T", "G", "Q", "A", "S", "B"};

}  // namespace velmora
