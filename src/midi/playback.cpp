// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/playback.h"

#include <array>
#include <cmath>
#include <string>
#include <utility>

namespace velmora {

namespace {
constexpr std::int16_t kChannel = 0;
constexpr std::array<float, 5> kNotesPerBeat = {0.25f, 0.5f, 1.0f, 2.0f, 4.0f};
}  // namespace

double NoteDurationMs(int tempo, double notesPerBeat) {
    if (tempo <= 0 || notesPerBeat <= 0.0) return 0.0;
    return 60000.0 / tempo / notesPerBeat;
}

float NotesPerBeatForIndex(int index) {
    if (index < 0 || index >= static_cast<int>(kNotesPerBeat.size())) return 0.0f;
    return kNotesPerBeat[index];
}

Playback::Playback(Panel& panel, TrainerState& state, NoteSender& output, Scheduler& scheduler)
    : panel_(panel), state_(state), output_(output), scheduler_(scheduler) {}

Playback::~Playback() {
    scheduler_.cancel(timer_);
}

void Playback::PlayQuestion(std::function<void()> released) {
    // Handlers may draw a new question while these sound: keep what was started.
    start(state_.questionNotes, true, std::move(released));
}

void Playback::PlayNote(Note note, std::function<void()> released) {
    start({note}, false, std::move(released));
}

void Playback::PlayNotes(std::vector<Note> notes, std::function<void()> released) {
    start(std::move(notes), false, std::move(released));
}

void Playback::ClearEar(std::function<void()> cleared) {
    releaseNow();
    output_.SendMaskerProgram(kMaskerChannel, kMaskerProgram);
    output_.MaskerKeyOn(kMaskerChannel, kMaskerKey, kMaskerVelocity);
    masking_ = true;
    fixedWaitMs_ = kEarClearingMs - kMaskerFadeMs;
    WaitNoteDuration([this, cleared = std::move(cleared)]() mutable {
        endMasker();
        fixedWaitMs_ = kMaskerFadeMs;
        WaitNoteDuration([this, cleared = std::move(cleared)] {
            fixedWaitMs_ = 0;
            if (cleared) cleared();
        });
    });
}

void Playback::start(std::vector<Note> notes, bool showQuestionNumber,
                     std::function<void()> released) {
    // Nothing ever overlaps: whatever still sounds goes first.
    releaseNow();

    if (showQuestionNumber) {
        panel_.lblQuestionNumber.setCaption("Q # " + std::to_string(state_.questionNumber));
    }
    showsQuestionNumber_ = showQuestionNumber;
    sounding_ = std::move(notes);
    for (Note note : sounding_) {
        output_.SendProgramChange(kChannel);
        output_.NoteOn(note, kChannel);
    }
    playingQuestion_ = true;
    WaitNoteDuration([this, released = std::move(released)] {
        endQuestion();
        if (released) released();
    });
}

void Playback::WaitNoteDuration(std::function<void()> elapsed) {
    scheduler_.cancel(timer_);
    continuation_ = std::move(elapsed);
    waitStart_ = scheduler_.now();
    armTimer();
}

void Playback::lstDuration_Click() {
    const float notesPerBeat = NotesPerBeatForIndex(panel_.lstDuration.listIndex());
    if (notesPerBeat > 0.0f) state_.notesPerBeat = notesPerBeat;
    if (isWaiting()) armTimer();
}

void Playback::vsbTempo_Change() {
    state_.tempo = static_cast<std::int16_t>(panel_.vsbTempo.value());
    panel_.lblTempo.setCaption(std::to_string(state_.tempo));
    if (isWaiting()) armTimer();
}

void Playback::releaseNow() {
    scheduler_.cancel(timer_);
    timer_ = Scheduler::kNoTimer;
    const bool cut = static_cast<bool>(continuation_);
    continuation_ = nullptr;
    fixedWaitMs_ = 0;
    endQuestion();
    endMasker();
    if (cut && cutShort_) cutShort_();
}

void Playback::armTimer() {
    scheduler_.cancel(timer_);
    const double ms = fixedWaitMs_ > 0 ? fixedWaitMs_ : noteDurationMs();
    const auto duration = Nanos(static_cast<Nanos::rep>(std::ceil(ms * 1e6)));
    // A deadline already passed (the tempo was raised far enough) fires at the
    // next pass of the event loop, not inside the handler that changed it.
    timer_ = scheduler_.startTimer(waitStart_ + duration, [this] { onTimer(); });
}

void Playback::onTimer() {
    timer_ = Scheduler::kNoTimer;
    auto continuation = std::move(continuation_);
    continuation_ = nullptr;
    if (continuation) continuation();
}

void Playback::endQuestion() {
    if (!playingQuestion_) return;
    playingQuestion_ = false;
    const std::vector<Note> notes = std::move(sounding_);
    sounding_.clear();
    for (Note note : notes) output_.NoteOff(note, kChannel);
    if (showsQuestionNumber_) panel_.lblQuestionNumber.setCaption("");
}

void Playback::endMasker() {
    if (!masking_) return;
    masking_ = false;
    output_.MaskerKeyOff(kMaskerChannel, kMaskerKey);
}

}  // namespace velmora
