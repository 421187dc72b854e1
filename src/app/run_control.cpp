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
    if (!state_.exerciseRunning) {
        lock_.UnlockSettings();
        ended();
        return;
    }
    if (answerComplete()) {
        const std::string& verdict = panel_.lblResult.caption();
        if (verdict == "Correct") {
            if (!questions_.NewQuestion()) {
                cmdPlayStop_Click();
                return;
            }
        } else if (verdict == "Incorrect") {
            ShowPrompt();
        }
    }
    journal_.questionSounding();
    playback_.PlayQuestion([this] { nextPass(); });
}

bool RunControl::answerComplete() const {
    if (panel_.chkShepard.checked()) return state_.answerIndex != -1;
    return state_.answerIndex >= static_cast<int>(state_.questionNotes.size()) - 1;
}

void RunControl::cmdPlayStop_Click() {
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
    state_.exerciseRunning = false;
    state_.repeatActive = false;
    panel_.Timer1.setEnabled(false);
    playback_.releaseNow();
}

}  // namespace velmora
