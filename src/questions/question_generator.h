// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <vector>

#include "coach/question_coach.h"
#include "model/panel.h"
#include "model/trainer_state.h"
#include "ports/random.h"
#include "questions/pitch_selection.h"
#include "scoring/spelling.h"

namespace velmora {

// Each distinct value once, in the order first met.
std::vector<Note> RemoveDuplicates(const std::vector<Note>& notes);

inline constexpr const char* kSingleNotePrompt = "What's that note?";
inline constexpr const char* kChordPrompt =
    "Identify the pitches. (Enter them sequentially from LO --> HI.)";
inline constexpr Rgb kPromptBackground{255, 255, 255};

// Clears the answer typed so far and asks the current question on white: the
// same whether the question is new or posed again.
void ShowQuestionPrompt(Panel& panel, TrainerState& state);

// Draws the next question at random: a chord from the candidate pool, or in
// the Shepard exercise one pitch class in every octave of the range. In coach
// mode the coach chooses single notes and Shepard tones; chords stay as drawn.
class QuestionGenerator {
public:
    QuestionGenerator(Panel& panel, TrainerState& state, const PitchSelection& selection,
                      const Spelling& spelling, Random& random)
        : panel_(panel),
          state_(state),
          selection_(selection),
          spelling_(spelling),
          random_(random) {}

    // False, with nothing changed, when the settings leave nothing to draw
    // from (no checked pitch class with a note in the range).
    bool NewQuestion();

    // Whether NewQuestion would find something to draw.
    bool canDraw() const;

    // Asked for each new question while it is active; null: never.
    void setCoach(QuestionCoach* coach) { coach_ = coach; }

private:
    void drawChord(bool coached);
    void drawShepard(bool coached);
    std::vector<int> checkedPitchClasses() const;

    Panel& panel_;
    TrainerState& state_;
    const PitchSelection& selection_;
    const Spelling& spelling_;
    Random& random_;
    QuestionCoach* coach_ = nullptr;
};

}  // namespace velmora
