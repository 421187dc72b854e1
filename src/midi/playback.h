// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

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

// The masker that clears the ear between questions: the sea shore (General
// MIDI program 123) on a channel of its own, neither the questions' (1) nor
// the drums' (10), a little softer than a question, for a fixed time
// whatever the tempo. It swells for half a second, and dies away for the
// last part of its time, released, so that its tail hardly lies under the
// question.
inline constexpr std::int16_t kMaskerChannel = 15;
inline constexpr int kMaskerProgram = 122;
inline constexpr int kMaskerKey = 60;
inline constexpr int kMaskerVelocity = 90;
inline constexpr int kEarClearingMs = 1500;
inline constexpr int kMaskerFadeMs = 400;

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
    // Sounds `notes` together on the selected instrument for one note
    // duration, without the question number: an answer heard back.
    void PlayNotes(std::vector<Note> notes, std::function<void()> released);
    // Sounds the masker, released kMaskerFadeMs before the end of its
    // kEarClearingMs; then `cleared` runs.
    void ClearEar(std::function<void()> cleared);
    bool clearingEar() const { return fixedWaitMs_ > 0; }
    // Told when releaseNow() drops a continuation still to come: a sounding
    // cut short by STOP, PLAY, the drill or closing.
    void onCutShort(std::function<void()> listener) { cutShort_ = std::move(listener); }
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
    void endMasker();

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
    bool masking_ = false;        // the masker's key is down
    int fixedWaitMs_ = 0;         // the masker's waits ignore the tempo; 0: one note duration
    std::function<void()> cutShort_;
};

}  // namespace velmora
