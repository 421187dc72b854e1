// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <optional>
#include <vector>

#include "model/trainer_state.h"
#include "ports/random.h"

namespace velmora {

class MasteryTracker;

// How the coach weighs, spaces and sounds the questions it chooses.
struct QuestionCoachRule {
    // Share of the questions drawn evenly among the pitch classes, whatever
    // their errors; the rest lean toward the classes missed most. Simulated
    // learners reach nine in ten sooner with 0.3 than with 0.5, and no later
    // when every class is equally hard.
    static constexpr double kEvenShare = 0.3;
    // Error rate assumed for a class not yet answered, counted as half an
    // answer, so that a class judged on one answer is not yet written off.
    static constexpr double kPriorErrorRate = 0.5;
    static constexpr double kPriorAnswers = 0.5;
    // No class ever drops out of the weighted share; kept low so that a class
    // still missed one time in ten outweighs one that is known.
    static constexpr double kErrorFloor = 0.02;
    // A miss comes back as the 4th and the 10th new question after its
    // latest miss.
    static constexpr std::array<int, 2> kAskAgainAfter = {4, 10};
    // The next single note lies at least an octave from the last, so that it
    // cannot be named from it by the interval.
    static constexpr int kFarSemitones = 12;
    // Factors of the trainer's velocity, within 7 dB of one another
    // (40 log10 of the factor: 0, -3.5, -7.0 dB).
    static constexpr std::array<double, 3> kLoudness = {1.0, 0.82, 0.67};
};

// Steps between two pitch classes round the circle, 0..6.
int PitchClassDistance(int a, int b);

// The pitch classes that may follow `last` among `available`: neither the
// same nor a semitone neighbour; where nothing else is there, a neighbour;
// where only `last` itself is there, `last`. All of them without a last.
std::vector<int> ClassesAllowedAfter(const std::vector<int>& available, std::optional<int> last);

// The coach's choice of the next question, in coach mode: which pitch class
// (a miss asked again when due, otherwise partly evenly and partly by error
// rate), which of its notes (far from the last one), and how loud. It draws
// only while active, so with the coach off the questions are drawn exactly
// as without it.
class QuestionCoach {
public:
    explicit QuestionCoach(Random& random) : random_(random) {}

    void setActive(bool active);
    bool active() const { return active_; }
    // Where each pitch class's recent first attempts are read; null: none known.
    void setMastery(const MasteryTracker* mastery) { mastery_ = mastery; }

    // The note of the next single-note question, from the candidate pool
    // (the ticked pitch classes within the range), which must not be empty.
    Note chooseNote(const std::vector<Note>& pool);
    // The pitch class of the next Shepard tone, among `pitchClasses` (not empty).
    int choosePitchClass(const std::vector<int>& pitchClasses);
    // A chord was drawn as today: a new question, with no single note to
    // steer the next one by.
    void chordDrawn();

    // An answer was just recorded, `replacesLast` when it took the place of
    // the previous record (an answer that grew too long). A wrong first
    // attempt at a single note the coach chose is asked again later.
    void answerRecorded(bool correct, bool replacesLast);

    // The chance of each pitch class in `allowed` when chosen by weight.
    std::vector<double> chances(const std::vector<int>& allowed) const;
    // Factor of the trainer's velocity for the question asked now; 1 when
    // the coach did not choose it.
    double loudness() const {
        return active_ && chosen_ ? QuestionCoachRule::kLoudness[level_] : 1.0;
    }

private:
    struct AskAgain {
        int pitchClass;
        int due;  // the number of the new question it is due at
    };
    enum class FirstAttempt { None, Awaited, Recorded, Missed };

    int chooseClass(const std::vector<int>& available);
    int drawClass(const std::vector<int>& among);
    std::optional<int> takeDueAskAgain(const std::vector<int>& available,
                                       const std::vector<int>& allowed);
    double errorWeight(int pitchClass) const;
    void newQuestion();
    void missed();

    Random& random_;
    const MasteryTracker* mastery_ = nullptr;
    bool active_ = false;
    bool chosen_ = false;  // the question asked now was chosen here
    int questions_ = 0;    // new questions chosen here
    std::optional<int> lastClass_;
    std::optional<Note> lastNote_;
    std::optional<int> held_;  // drawn, but held back by the class rules
    int askedClass_ = -1;
    FirstAttempt firstAttempt_ = FirstAttempt::None;
    std::vector<AskAgain> askAgain_;
    int level_ = 0;
};

}  // namespace velmora
