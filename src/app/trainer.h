// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include "app/answer_hearing.h"
#include "app/run_control.h"
#include "coach/coach_options.h"
#include "coach/question_coach.h"
#include "midi/note_on_reader.h"
#include "midi/note_sender.h"
#include "midi/playback.h"
#include "model/panel.h"
#include "model/trainer_state.h"
#include "ports/beeper.h"
#include "ports/clock_random.h"
#include "ports/midi_in.h"
#include "ports/random.h"
#include "ports/scheduler.h"
#include "ports/wall_clock.h"
#include "practice/practice_timer.h"
#include "practice/settings_lock.h"
#include "questions/pitch_selection.h"
#include "questions/question_generator.h"
#include "questions/single_note_repeat.h"
#include "scoring/answer_entry.h"
#include "scoring/answer_journal.h"
#include "scoring/response_log.h"
#include "scoring/spelling.h"

namespace velmora {

class MidiOut;
class MasteryTracker;

// The trainer: one state table and one panel, with the modules that work on
// them. It wires every control event to its handler in one place.
class Trainer {
public:
    // Without a random source or wall clock of their own, the trainer uses the
    // system's: a random source reseeded from the clock and the local time.
    // Notes played on `keyboard` answer as the letter keys do.
    Trainer(MidiOut& device, Scheduler& scheduler, Beeper& beeper, Random* random = nullptr,
            const WallClock* wallClock = nullptr, MidiIn* keyboard = nullptr);
    ~Trainer();
    Trainer(const Trainer&) = delete;
    Trainer& operator=(const Trainer&) = delete;

    // Where every graded answer is also kept; null (the default) keeps none.
    // Set before Form_Load.
    void setJournal(Journal* journal) { answerJournal_.setJournal(journal); }

    // Start-up, run once the window and its controls exist.
    void Form_Load();
    // Shutdown, run once when the window closes. Nothing sounds or is sent after it.
    void Form_Unload();

    // Told when a run ends by STOP, by the practice timer or with nothing
    // left to ask (not when the window closes).
    void onRunEnded(std::function<void()> listener) { runControl_.onRunEnded(std::move(listener)); }

    // Told when PLAY starts a run, once the settings are locked.
    void onRunStarted(std::function<void()> listener) {
        runControl_.onRunStarted(std::move(listener));
    }

    // What the coach may change; all off at first start.
    void setCoachOptions(const CoachOptions& options);
    const CoachOptions& coachOptions() const { return coachOptions_; }
    // Where the coach reads each pitch class's recent answers; null: none known.
    void setMastery(const MasteryTracker* mastery) {
        mastery_ = mastery;
        questionCoach_.setMastery(mastery);
    }
    // After a wrong answer: the question, the answer given, and the question
    // again, each named while it sounds. Never counts as an answer. False when
    // refused (nothing wrong to hear, or it would disturb the run).
    // Without a run it plays at once; while a run's question sounds, it
    // plays when that sounding ends, before the question sounds again.
    // Refused before any answer of the run, after a right one, during the
    // drill, and while a hearing is already asked for or sounding.
    bool HearMyAnswer();
    bool canHearMyAnswer() const;
    // What the hearing plays, named while it sounds; "" when it ends.
    void onHearing(std::function<void(const std::string&)> listener) {
        answerHearing_.onLabel(std::move(listener));
    }
    // Told when canHearMyAnswer() may have changed.
    void onHearMyAnswerChanged(std::function<void()> listener) {
        answerHearing_.onChanged(std::move(listener));
    }

    // Outside a run, the question last asked sounds once more, as it was
    // asked; nothing is graded or counted. False when refused: during a run
    // (it sounds over and over there) and until its last pass has ended, the
    // drill, a hearing, while it already sounds, or with no question asked yet.
    bool PlayQuestionAgain();
    bool canPlayQuestionAgain() const;

    Panel& panel() { return panel_; }
    const TrainerState& state() const { return state_; }
    TrainerState& state() { return state_; }
    NoteSender& noteSender() { return noteSender_; }
    Playback& playback() { return playback_; }
    Spelling& spelling() { return spelling_; }
    QuestionGenerator& questionGenerator() { return questionGenerator_; }
    SettingsLock& settingsLock() { return settingsLock_; }
    SingleNoteRepeat& singleNoteRepeat() { return singleNoteRepeat_; }

private:
    void FillDurationList();
    void wireEvents();
    void timer1EnabledChanged();
    void PrepareResultsTable();

    MidiOut& device_;
    Beeper& beeper_;
    Scheduler& scheduler_;
    ClockRandom clockRandom_;
    Random& random_;
    SystemWallClock systemWallClock_;
    const WallClock& wallClock_;
    Panel panel_;
    TrainerState state_;
    NoteSender noteSender_;
    Playback playback_;
    Spelling spelling_;
    PitchSelection pitchSelection_;
    QuestionGenerator questionGenerator_;
    ResponseLog responseLog_;
    AnswerJournal answerJournal_;
    SettingsLock settingsLock_;
    PracticeTimer practiceTimer_;
    RunControl runControl_;
    AnswerEntry answerEntry_;
    SingleNoteRepeat singleNoteRepeat_;
    MidiIn* keyboard_;
    NoteOnReader keyboardNotes_;
    Scheduler::TimerId timer1Ticks_ = Scheduler::kNoTimer;
    AnswerHearing answerHearing_{panel_, state_, playback_, spelling_};
    CoachOptions coachOptions_;
    const MasteryTracker* mastery_ = nullptr;
    // Chooses the questions in coach mode; asked by the generator.
    QuestionCoach questionCoach_{random_};
    bool deviceOpen_ = false;
    bool questionAgain_ = false;  // the question sounds once more, outside a run
};

}  // namespace velmora
