#pragma once

#include <functional>
#include <vector>

#include "midi/note_sender.h"
#include "model/panel.h"
#include "model/trainer_state.h"
#include "ports/scheduler.h"

namespace velmora {

// Milliseconds one note lasts at `tempo` beats per minute with `notesPerBeat`
// notes to the beat; 0 while either is unset.
double NoteDurationMs(int tempo, double notesPerBeat);

// How many notes of the value at `lstDuration` index fill a beat:
// Whole, Half, Quarter, 8th, 16th. 0 for an index outside the list.
float NotesPerBeatForIndex(int index);

// Sounds a question for one note duration. The wait is a timer on the
// monotonic clock, not a loop: the event loop runs (and the process sleeps)
// while the notes sound, and a change of tempo or note value re-arms the timer
// at once, measured from the same start.
class Playback {
public:
    Playback(Panel& panel, TrainerState& state, NoteSender& output, Scheduler& scheduler);
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // Starts every note of the current question, each after its own program
    // change; `released` runs once the notes have been released.
    void PlayQuestion(std::function<void()> released);
    // Sounds one note on the selected instrument for one note duration, for
    // the single-note drill; `released` runs once it has been released.
    void PlayNote(Note note, std::function<void()> released);
    // Runs `elapsed` once one note duration has passed since this call.
    void WaitNoteDuration(std::function<void()> elapsed);

    void lstDuration_Click();
    void vsbTempo_Change();

    bool isWaiting() const { return timer_ != Scheduler::kNoTimer; }
    // Ends a wait at once: the notes it holds are released, its continuation
    // is dropped. For closing the window and restarting a run.
    void releaseNow();

    double noteDurationMs() const { return NoteDurationMs(state_.tempo, state_.notesPerBeat); }

private:
    void armTimer();
    void onTimer();
    void start(std::vector<Note> notes, bool showQuestionNumber, std::function<void()> released);
    void endQuestion();

    Panel& panel_;
    TrainerState& state_;
    NoteSender& output_;
    Scheduler& scheduler_;

    Nanos waitStart_{0};
    Scheduler::TimerId timer_ = Scheduler::kNoTimer;
    std::function<void()> continuation_;
    bool playingQuestion_ = false;  // notes are sounding, from a question or a drill
    bool showsQuestionNumber_ = false;
    std::vector<Note> sounding_;  // notes of the question being played
};

}  // namespace velmora
