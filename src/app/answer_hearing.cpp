// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "app/answer_hearing.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "midi/messages.h"
#include "scoring/answer_journal.h"

namespace velmora {

namespace {

// `pitchClass` in the octave nearest `near`, a tritone resolved downward,
// moved by octaves into 0..127.
int NearestOfClass(int near, int pitchClass) {
    int step = ((pitchClass - PitchClassOf(near)) % kPitchClasses + kPitchClasses) % kPitchClasses;
    if (step >= 6) step -= kPitchClasses;
    int note = near + step;
    while (note < 0) note += kPitchClasses;
    while (note > 127) note -= kPitchClasses;
    return note;
}

// One note per answered position, in the order pressed.
std::vector<Note> NotesByPosition(const std::vector<Note>& asked,
                                  const std::vector<int>& answered) {
    std::vector<Note> notes;
    if (asked.empty()) return notes;
    for (std::size_t position = 0; position < answered.size(); ++position) {
        if (answered[position] < 0) continue;
        const Note near = asked[std::min(position, asked.size() - 1)];
        notes.push_back(static_cast<Note>(NearestOfClass(near, answered[position])));
    }
    return notes;
}

// Keys pressed past the question's last note that are heard, at most.
constexpr std::size_t kHeardPastTheEnd = 12;
constexpr std::string_view kAskedPrefix = "asked: ";
constexpr std::string_view kAnswerPrefix = "you: ";

}  // namespace

std::vector<Note> AnsweredNotes(const std::vector<Note>& asked, const std::vector<int>& answered,
                                bool shepard) {
    std::vector<Note> notes;
    if (shepard) {
        if (asked.empty() || answered.empty() || answered.front() < 0) return notes;
        const int shift = NearestOfClass(asked.front(), answered.front()) - asked.front();
        for (Note note : asked) {
            if (IsMidiDataByte(note + shift)) notes.push_back(static_cast<Note>(note + shift));
        }
    } else {
        notes = NotesByPosition(asked, answered);
    }
    std::vector<Note> once;
    for (Note note : notes) {
        if (std::find(once.begin(), once.end(), note) == once.end()) once.push_back(note);
    }
    return once;
}

void AnswerHearing::recorded() {
    graded_.asked = state_.questionNotes;
    // Read only as far as it is heard: an answer pressed on and on past the
    // question's last note grows with every press, and is recorded at each.
    graded_.answered = PitchClassesOfAnswer(panel_.lblNoteInput.caption(),
                                            graded_.asked.size() + kHeardPastTheEnd);
    graded_.shepard = panel_.chkShepard.checked();
    graded_.correct = panel_.lblResult.caption() == "Correct";
    known_ = true;
    changed();
}

void AnswerHearing::forget() {
    known_ = false;
    requested_ = false;
    changed();
}

void AnswerHearing::request() {
    requested_ = true;
    changed();
}

bool AnswerHearing::takeRequest() {
    if (!requested_) return false;
    requested_ = false;
    changed();
    return true;
}

void AnswerHearing::play(std::function<void()> done) {
    if (!wrongAnswerKnown()) {
        if (done) done();
        return;
    }
    asked_ = graded_.asked;
    answer_ = AnsweredNotes(graded_.asked, graded_.answered, graded_.shepard);
    if (graded_.shepard) {
        const auto nameOf = [this](int pitchClass) {
            return pitchClass < 0 ? std::string("?") : state_.pitchNames[pitchClass];
        };
        askedLabel_ = nameOf(asked_.empty() ? -1 : PitchClassOf(asked_.front()));
        answerLabel_ = nameOf(graded_.answered.empty() ? -1 : graded_.answered.front());
    } else {
        askedLabel_ = named(asked_);
        answerLabel_ = named(NotesByPosition(graded_.asked, graded_.answered));
    }
    done_ = std::move(done);
    sound(0);
}

void AnswerHearing::sound(int step) {
    if (step > 2) {
        step_ = -1;
        show("");
        changed();
        auto done = std::move(done_);
        done_ = nullptr;
        if (done) done();
        return;
    }
    const bool answer = step == 1;
    // Whatever this cuts short is not this hearing's.
    const bool first = step_ < 0;
    step_ = -1;
    playback_.PlayNotes(answer ? answer_ : asked_, [this, step] { sound(step + 1); });
    step_ = step;
    show(std::string(answer ? kAnswerPrefix : kAskedPrefix) +
         (answer ? answerLabel_ : askedLabel_));
    if (first) changed();
}

void AnswerHearing::cutShort() {
    if (step_ < 0) return;
    step_ = -1;
    done_ = nullptr;
    show("");
    changed();
}

std::string AnswerHearing::named(const std::vector<Note>& notes) const {
    std::string text;
    for (Note note : notes) {
        if (!text.empty()) text += "-";
        text += spelling_.NoteLabel(note);
    }
    return text;
}

void AnswerHearing::show(const std::string& text) {
    if (label_) label_(text);
}

void AnswerHearing::changed() {
    if (changed_) changed_();
}

}  // namespace velmora
