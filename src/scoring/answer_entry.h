// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <functional>

#include "model/panel.h"
#include "model/trainer_state.h"
#include "ports/beeper.h"
#include "scoring/response_log.h"

namespace velmora {

inline constexpr Rgb kCorrectBackground{0, 255, 0};
inline constexpr Rgb kIncorrectBackground{255, 0, 0};
inline constexpr int kBeepFrequencyHz = 440;
inline constexpr int kBeepDurationMs = 200;

// The pitch class of a shortcut key in either case (C V D W E F T G Q A S B),
// or -1 for any other character.
int PitchClassOfKey(int characterCode);

// Turns presses of the twelve answer buttons (or their keys) into an answer,
// grades it against the question and hands every verdict to the response log.
class AnswerEntry {
public:
    AnswerEntry(Panel& panel, TrainerState& state, ResponseLog& log, Beeper& beeper,
                std::function<void()> focusFirstAnswerButton)
        : panel_(panel),
          state_(state),
          log_(log),
          beeper_(beeper),
          focusFirstAnswerButton_(std::move(focusFirstAnswerButton)) {}

    void cmdAnswerButton_Click(int index);
    void cmdAnswerButton_KeyPress(int index, int characterCode);
    void cmdEraseAnswer_Click();
    // A key played on a MIDI keyboard: the letter key of its pitch class,
    // without needing the focus.
    void keyboardNoteOn(int note);

private:
    void gradeShepard(int index);
    void gradeChord(int index);
    void giveVerdict(bool correct, bool colourWrong);

    Panel& panel_;
    TrainerState& state_;
    ResponseLog& log_;
    Beeper& beeper_;
    std::function<void()> focusFirstAnswerButton_;
};

}  // namespace velmora
