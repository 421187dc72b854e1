// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "app/run_control.h"

namespace velmora {

namespace {
// A range of 11 semitones holds every pitch class at least once.
constexpr int kNarrowestRange = 11;
}  // namespace

void RunControl::cmdPlay_Click() {
    const int low = panel_.vsbNoteRange[0].value();
    const int high = panel_.vsbNoteRange[1].value();
    if (high - low < kNarrowestRange) return;
    // Nothing to ask: refused as quietly as a range too narrow.
    if (!questions_.canDraw()) return;

    // PLAY during a run (or a drill) starts afresh; what sounds stops now.
    playback_.releaseNow();
    state_.repeatActive = false;

    state_.exerciseRunning = true;
    runOn_ = true;
    journal_.runStarted();
    lock_.LockSettings();
    log_.Clear();
    if (hearing_) hearing_->forget();
    state_.earClearedBeforeQuestion = false;
    state_.rightCount = 0;
    state_.wrongCount = 0;
    state_.questionNumber = 0;
    state_.practiceStartClock = timer_.ClockTime();
    panel_.Timer1.setEnabled(true);
    questions_.NewQuestion();
    FocusFirstAnswerButton();
    if (runStarted_) runStarted_();
    nextPass();
}

void RunControl::nextPass() {
    passes_ = false;
    const bool requested = hearing_ && hearing_->takeRequest();
    if (!state_.exerciseRunning) {
        lock_.UnlockSettings();
        ended();
        // Asked for while the run's last question sounded.
        if (requested) hearing_->play(nullptr);
        return;
    }
    bool posed = false;  // a complete answer led to a new question, or the same one again
    bool wrong = false;
    if (answerComplete()) {
        const std::string& verdict = panel_.lblResult.caption();
        if (verdict == "Correct") {
            if (!questions_.NewQuestion()) {
                cmdPlayStop_Click();
                return;
            }
            posed = true;
        } else if (verdict == "Incorrect") {
            ShowPrompt();
            posed = wrong = true;
        }
    }
    if (posed) state_.earClearedBeforeQuestion = false;
    const bool hear = hearing_ && hearing_->wrongAnswerKnown() &&
                      (requested || (wrong && options_ && options_->hearsAnswerAfterMistakes));
    const bool clearEar = posed && options_ && options_->choosesQuestions && options_->clearsEar;
    interlude(hear, clearEar);
}

// The answer heard back, then the masker, then the question; the run ending
// meanwhile (its time up) skips what is left.
void RunControl::interlude(bool hear, bool clearEar) {
    if (!state_.exerciseRunning) {
        nextPass();
        return;
    }
    passes_ = true;
    if (hear) {
        interlude_ = true;
        hearing_->play([this, clearEar] { interlude(false, clearEar); });
        return;
    }
    if (clearEar) {
        interlude_ = true;
        state_.earClearedBeforeQuestion = true;
        playback_.ClearEar([this] { interlude(false, false); });
        return;
    }
    interlude_ = false;
    journal_.questionSounding();
    playback_.PlayQuestion([this] { nextPass(); });
}

bool RunControl::answerComplete() const {
    if (panel_.chkShepard.checked()) return state_.answerIndex != -1;
    return state_.answerIndex >= static_cast<int>(state_.questionNotes.size()) - 1;
}

void RunControl::cmdPlayStop_Click() {
    // What sounds between the questions stops at once; a question plays out.
    if (interlude_ || (hearing_ && hearing_->sounding())) playback_.releaseNow();
    state_.exerciseRunning = false;
    state_.repeatActive = false;
    lock_.UnlockSettings();
    panel_.Timer1.setEnabled(false);
    ended();
}

void RunControl::ended() {
    if (!runOn_) return;
    runOn_ = false;
    if (runEnded_) runEnded_();
}

void RunControl::ShowPrompt() {
    ++state_.questionNumber;
    panel_.lblQuestionNumber.setCaption("Q # " + std::to_string(state_.questionNumber));
    ShowQuestionPrompt(panel_, state_);
}

void RunControl::FocusFirstAnswerButton() {
    for (Button& button : panel_.cmdAnswerButton) {
        if (button.enabled()) {
            button.setFocus();
            return;
        }
    }
}

void RunControl::end() {
    runOn_ = false;
    passes_ = false;
    interlude_ = false;
    if (hearing_) hearing_->takeRequest();
    state_.exerciseRunning = false;
    state_.repeatActive = false;
    panel_.Timer1.setEnabled(false);
    playback_.releaseNow();
}

}  // namespace velmora
