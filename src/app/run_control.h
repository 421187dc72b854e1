// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <functional>

#include "app/answer_hearing.h"
#include "coach/coach_options.h"
#include "midi/playback.h"
#include "model/panel.h"
#include "model/trainer_state.h"
#include "practice/practice_timer.h"
#include "practice/settings_lock.h"
#include "questions/question_generator.h"
#include "scoring/answer_journal.h"
#include "scoring/response_log.h"

namespace velmora {

// A practice run: PLAY, then the question played again and again, moving on
// after a correct answer and posing it again after a wrong one, until STOP or
// the practice timer ends it. Each pass is started by the end of the previous
// playback, so the event loop runs freely while the notes sound.
class RunControl {
public:
    RunControl(Panel& panel, TrainerState& state, Playback& playback, QuestionGenerator& questions,
               ResponseLog& log, SettingsLock& lock, PracticeTimer& timer, AnswerJournal& journal)
        : panel_(panel),
          state_(state),
          playback_(playback),
          questions_(questions),
          log_(log),
          lock_(lock),
          timer_(timer),
          journal_(journal) {}

    void cmdPlay_Click();
    void cmdPlayStop_Click();
    void ShowPrompt();
    void FocusFirstAnswerButton();

    // The window is closing: the run ends with nothing more sent.
    void end();

    // Told when a run ends by STOP, by the practice timer or with nothing left
    // to ask; not when PLAY starts it afresh, nor when the window closes.
    void onRunEnded(std::function<void()> listener) { runEnded_ = std::move(listener); }
    // Told when PLAY starts a run, once the settings are locked.
    void onRunStarted(std::function<void()> listener) { runStarted_ = std::move(listener); }

    // What may sound between a verdict and the question that follows: the
    // answer heard back, and the masker that clears the ear. Null: nothing.
    void setTeaching(const CoachOptions* options, AnswerHearing* hearing) {
        options_ = options;
        hearing_ = hearing;
    }
    // A pass of the run sounds, or what sounds before it: its end decides
    // what comes next.
    bool passSounding() const { return passes_; }
    // The playback dropped the pass's continuation, and with it any hearing
    // asked for at its end.
    void cutShort() {
        passes_ = false;
        interlude_ = false;
        if (hearing_) hearing_->takeRequest();
    }

private:
    void nextPass();
    void interlude(bool hear, bool clearEar);
    bool answerComplete() const;
    void ended();

    Panel& panel_;
    TrainerState& state_;
    Playback& playback_;
    QuestionGenerator& questions_;
    ResponseLog& log_;
    SettingsLock& lock_;
    PracticeTimer& timer_;
    AnswerJournal& journal_;
    std::function<void()> runEnded_;
    std::function<void()> runStarted_;
    bool runOn_ = false;  // a run, not a drill, was started and has not ended
    const CoachOptions* options_ = nullptr;
    AnswerHearing* hearing_ = nullptr;
    bool passes_ = false;     // a pass's continuation is still to come
    bool interlude_ = false;  // the answer heard back or the masker sounds
};

}  // namespace velmora
