// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <functional>
#include <string>
#include <vector>

#include "midi/playback.h"
#include "model/panel.h"
#include "model/trainer_state.h"
#include "scoring/spelling.h"

namespace velmora {

// The notes an answer sounds as: each answered pitch class in the octave
// nearest the asked note at its position (a tritone away: below it), and
// presses past the last position near the last asked note. For a Shepard
// tone every octave of it moves to the answered pitch class. Each key once,
// within 0..127.
std::vector<Note> AnsweredNotes(const std::vector<Note>& asked, const std::vector<int>& answered,
                                bool shepard);

// "Hear my answer": after a wrong answer, the question, the answer given and
// the question again, each for one note duration on the trainer's
// instrument, named while it sounds ("asked: Eb4", "you: E4"). It never
// counts as an answer: the score, the results and the journal stay as they are.
class AnswerHearing {
public:
    AnswerHearing(Panel& panel, TrainerState& state, Playback& playback, const Spelling& spelling)
        : panel_(panel), state_(state), playback_(playback), spelling_(spelling) {}

    // The results table just received a record: the answer graded last.
    void recorded();
    // A run starts afresh: answers before it are not heard again.
    void forget();
    // The last answer of the current or last run was wrong, and is known.
    bool wrongAnswerKnown() const { return known_ && !graded_.correct; }

    // Plays it at once; `done` runs when the question has sounded again,
    // not when the hearing is cut short.
    void play(std::function<void()> done);
    bool sounding() const { return step_ >= 0; }
    // The playback dropped what was to follow (STOP, PLAY, closing).
    void cutShort();

    // Asked for while a run's question sounds: heard when it ends.
    void request();
    bool requested() const { return requested_; }
    // Whether it was asked for; the request is used up either way.
    bool takeRequest();

    // The text while each part sounds, and "" when the hearing ends.
    void onLabel(std::function<void(const std::string&)> listener) { label_ = std::move(listener); }
    // Told when the answer known, the request or the sounding changes.
    void onChanged(std::function<void()> listener) { changed_ = std::move(listener); }

private:
    struct Graded {
        std::vector<Note> asked;
        std::vector<int> answered;  // pitch classes, in the order pressed
        bool shepard = false;
        bool correct = true;
    };
    void sound(int step);
    std::string named(const std::vector<Note>& notes) const;
    void show(const std::string& text);
    void changed();

    Panel& panel_;
    TrainerState& state_;
    Playback& playback_;
    const Spelling& spelling_;
    Graded graded_;
    bool known_ = false;
    bool requested_ = false;
    // What is being heard: the question and the answer's notes.
    std::vector<Note> asked_;
    std::vector<Note> answer_;
    std::string askedLabel_;
    std::string answerLabel_;
    int step_ = -1;  // 0 question, 1 answer, 2 question again; -1 silent
    std::function<void()> done_;
    std::function<void(const std::string&)> label_;
    std::function<void()> changed_;
};

}  // namespace velmora
