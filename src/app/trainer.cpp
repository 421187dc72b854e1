// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "app/trainer.h"

#include "midi/midi_out.h"
#include "practice/exercises.h"

namespace velmora {

Trainer::Trainer(MidiOut& device, Scheduler& scheduler, Beeper& beeper, Random* random,
                 const WallClock* wallClock, MidiIn* keyboard)
    : device_(device),
      beeper_(beeper),
      scheduler_(scheduler),
      random_(random ? *random : clockRandom_),
      wallClock_(wallClock ? *wallClock : systemWallClock_),
      noteSender_(panel_, state_),
      playback_(panel_, state_, noteSender_, scheduler),
      spelling_(panel_, state_),
      pitchSelection_(panel_, state_, spelling_),
      questionGenerator_(panel_, state_, pitchSelection_, spelling_, random_),
      responseLog_(panel_, state_),
      answerJournal_(panel_, state_, scheduler, wallClock_),
      settingsLock_(panel_),
      practiceTimer_(panel_, state_, wallClock_),
      runControl_(panel_, state_, playback_, questionGenerator_, responseLog_, settingsLock_,
                  practiceTimer_, answerJournal_),
      answerEntry_(panel_, state_, responseLog_, beeper_,
                   [this] { runControl_.FocusFirstAnswerButton(); }),
      singleNoteRepeat_(panel_, state_, playback_, random_),
      keyboard_(keyboard),
      keyboardNotes_([this](int note) { answerEntry_.keyboardNoteOn(note); }) {
    wireEvents();
}

Trainer::~Trainer() {
    // Whoever listened may be gone by now.
    answerHearing_.onLabel({});
    answerHearing_.onChanged({});
    Form_Unload();
}

void Trainer::wireEvents() {
    responseLog_.setRecordListener([this](bool replacesLast) {
        answerJournal_.recorded(replacesLast);
        answerHearing_.recorded();
        questionCoach_.answerRecorded(panel_.lblResult.caption() == "Correct", replacesLast);
    });
    questionGenerator_.setCoach(&questionCoach_);
    noteSender_.setQuestionLoudness([this] { return questionCoach_.loudness(); });
    runControl_.setTeaching(&coachOptions_, &answerHearing_);
    playback_.onCutShort([this] {
        questionAgain_ = false;
        answerHearing_.cutShort();
        runControl_.cutShort();
    });
    panel_.cboInstrument.onClick = [this] { noteSender_.cboInstrument_Click(); };
    panel_.lstDuration.onClick = [this] { playback_.lstDuration_Click(); };
    panel_.vsbTempo.onChange = [this] { playback_.vsbTempo_Change(); };
    panel_.lstKeySignature.onClick = [this] { spelling_.lstKeySignature_Click(); };

    panel_.lstPitch.onClick = [this] { pitchSelection_.lstPitch_Click(); };
    for (int i = 0; i < 2; ++i) {
        panel_.vsbNoteRange[i].onChange = [this, i] { pitchSelection_.vsbNoteRange_Change(i); };
        panel_.lblNoteRange[i].onChange = [this, i] { pitchSelection_.lblNoteRange_Change(i); };
    }
    panel_.vsbMinimum.onChange = [this] { pitchSelection_.vsbMinimum_Change(); };
    panel_.vsbMaximum.onChange = [this] { pitchSelection_.vsbMaximum_Change(); };
    for (int i = 0; i < static_cast<int>(panel_.mnuSetRange.size()); ++i) {
        panel_.mnuSetRange[i].onClick = [this, i] { pitchSelection_.mnuSetRange_Click(i); };
    }

    panel_.cmdPlay.onClick = [this] { runControl_.cmdPlay_Click(); };
    panel_.cmdPlayStop.onClick = [this] { runControl_.cmdPlayStop_Click(); };
    for (int i = 0; i < kPitchClasses; ++i) {
        panel_.cmdAnswerButton[i].onClick = [this, i] { answerEntry_.cmdAnswerButton_Click(i); };
        panel_.cmdAnswerButton[i].onKeyPress = [this, i](int characterCode) {
            answerEntry_.cmdAnswerButton_KeyPress(i, characterCode);
        };
    }
    panel_.cmdEraseAnswer.onClick = [this] { answerEntry_.cmdEraseAnswer_Click(); };

    panel_.vsbAlottedTimeForExercise.onChange = [this] {
        practiceTimer_.vsbAlottedTimeForExercise_Change();
    };
    panel_.Timer1.onTimer = [this] { practiceTimer_.Timer1_Timer(); };
    panel_.Timer1.onEnabledChanged = [this] { timer1EnabledChanged(); };

    for (int i = 0; i < static_cast<int>(panel_.mnuSelectExercise.size()); ++i) {
        panel_.mnuSelectExercise[i].onClick = [this, i] {
            mnuSelectExercise_Click(panel_.lstPitch, i);
        };
    }
    panel_.pic_Repeat_1_Note.onClick = [this] { singleNoteRepeat_.pic_Repeat_1_Note_Click(); };
}

// The timer ticks from the scheduler while it is enabled, counted from the
// moment it was enabled.
void Trainer::timer1EnabledChanged() {
    scheduler_.cancel(timer1Ticks_);
    timer1Ticks_ = Scheduler::kNoTimer;
    if (!panel_.Timer1.enabled()) return;
    timer1Ticks_ = scheduler_.startRepeating(std::chrono::milliseconds(panel_.Timer1.interval()),
                                             [this] { panel_.Timer1.tick(); });
}

void Trainer::Form_Load() {
    for (int pitchClass = 0; pitchClass < kPitchClasses; ++pitchClass) {
        state_.shortcutKeys[pitchClass] = kShortcutKeyLetters[pitchClass];
    }

    panel_.lstKeySignature.setListIndex(5);  // F major or D minor

    panel_.lstPitch.setSelected(3, true);  // Eb
    panel_.lstPitch.setSelected(6, true);  // F#

    panel_.cboInstrument.setListIndex(0);

    FillDurationList();
    panel_.lstDuration.setListIndex(0);

    state_.noteOffset = 0;
    state_.noteVelocity = 127;

    // The bar already holds 60 by design, so setting it fires nothing; the
    // handler must run anyway so that tempo is never 0.
    if (panel_.vsbTempo.value() == 60) {
        playback_.vsbTempo_Change();
    } else {
        panel_.vsbTempo.setValue(60);
    }

    state_.answerIndex = -1;

    PrepareResultsTable();

    deviceOpen_ = true;
    device_.open();
    state_.midiOutHandle = &device_;

    if (keyboard_) {
        keyboard_->setListener(
            [this](std::span<const std::uint8_t> bytes) { keyboardNotes_.read(bytes); });
    }
}

void Trainer::Form_Unload() {
    if (!deviceOpen_) return;
    if (keyboard_) keyboard_->setListener({});
    // Whatever still sounds is released while the device can still hear it.
    runControl_.end();
    state_.midiOutHandle = nullptr;
    device_.close();
    deviceOpen_ = false;
}

void Trainer::PrepareResultsTable() {
    ListView::Options options;
    options.reportView = true;
    options.hideSelection = false;
    options.singleSelect = true;
    options.gridLines = true;
    options.fullRowSelect = true;
    panel_.ListView1.setOptions(options);
    panel_.ListView1.addColumn("###", 700);
    panel_.ListView1.addColumn("Question", 1000);
    panel_.ListView1.addColumn("My Answer", 1000);
    panel_.ListView1.addColumn("Result", 1000);
}

void Trainer::FillDurationList() {
    for (const char* item : {"Whole", "Half", "Quarter", "8th", "16th"}) {
        panel_.lstDuration.addItem(item);
    }
}

void Trainer::setCoachOptions(const CoachOptions& options) {
    coachOptions_ = options;
    questionCoach_.setActive(options.choosesQuestions);
}

bool Trainer::HearMyAnswer() {
    if (!canHearMyAnswer()) return false;
    if (runControl_.passSounding()) {
        answerHearing_.request();
    } else {
        answerHearing_.play(nullptr);
    }
    return true;
}

bool Trainer::canHearMyAnswer() const {
    return deviceOpen_ && !state_.repeatActive && !questionAgain_ &&
           answerHearing_.wrongAnswerKnown() && !answerHearing_.sounding() &&
           !answerHearing_.requested();
}

bool Trainer::PlayQuestionAgain() {
    if (!canPlayQuestionAgain()) return false;
    questionAgain_ = true;
    playback_.PlayNotes(state_.questionNotes, [this] { questionAgain_ = false; });
    return true;
}

bool Trainer::canPlayQuestionAgain() const {
    // After STOP the run's last pass sounds on to its end.
    return deviceOpen_ && !state_.exerciseRunning && !runControl_.passSounding() &&
           !state_.repeatActive && !state_.questionNotes.empty() && !questionAgain_ &&
           !answerHearing_.sounding();
}

}  // namespace velmora
