// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/trainer_state.h"
#include "ports/journal.h"

namespace velmora {

// When a pitch class counts as learned. Learners who name a pitch class right
// nine times in ten, within about two seconds, and do so again on another day,
// keep it; one good evening is not yet knowledge.
struct MasteryRule {
    // The answers judged: the latest first attempts at single notes.
    static constexpr int kWindow = 20;
    // Nine in ten right...
    static constexpr int kRightToMaster = 18;
    // ...with at least half of them given within two seconds: a name that has
    // to be worked out from another note is not yet heard.
    static constexpr int kMedianMilliseconds = 2000;
    // ...at the end of practice on two different local days.
    static constexpr int kDays = 2;
    // Once mastered, one bad answer must not take it away: it is lost only
    // below eight in ten.
    static constexpr int kRightToKeep = 16;
    // Figures resting on fewer answers than this are shown as tentative.
    static constexpr int kFewAnswers = 10;
};

enum class MasteryState { New, Learning, Mastered };

// Where one pitch class stands.
struct PitchMastery {
    MasteryState state = MasteryState::New;
    int attempts = 0;             // first attempts in the window, up to kWindow
    int right = 0;                // right among them
    int medianMilliseconds = -1;  // lower middle of their timed answers; -1 when none was timed
    int days = 0;  // days on which the mark held at the end, today included when it holds now
    bool holdsNow = false;  // right and quick enough at this moment
    // Bit i set: the i-th attempt of the window, oldest first, was wrong.
    std::uint32_t wrongInWindow = 0;

    // Right answers in a row that would bring the window to kRightToMaster.
    int rightAnswersToMark() const;
    bool quickEnough() const {
        return medianMilliseconds >= 0 && medianMilliseconds <= MasteryRule::kMedianMilliseconds;
    }
};

using PitchMasteries = std::array<PitchMastery, kPitchClasses>;

// The two series of practice plans.
enum class ExerciseSeries { Diminished, Diatonic };

// Mastery of every pitch class, followed answer by answer in the order they
// were given. A first attempt is the first complete answer to a question; the
// same question asked again after a wrong answer is not one.
class MasteryTracker {
public:
    // Answers in the order they were given; chords and Shepard tones pass by.
    void add(const JournalEntry& entry);
    // The last answer added, graded again after growing too long.
    void replaceLast(const JournalEntry& entry);

    PitchMastery pitchClass(int pitchClass) const;
    PitchMasteries all() const;

    // An exercise of the menu is mastered when all of its pitch classes are.
    bool exerciseMastered(int exercise) const;
    // The first exercise of the series not mastered; nullopt when all are.
    std::optional<int> currentExercise(ExerciseSeries series) const;

private:
    struct Attempt {
        bool right = false;
        int milliseconds = -1;
    };
    struct ClassState {
        std::array<Attempt, MasteryRule::kWindow> window{};  // a ring, oldest at `next` when full
        int count = 0;
        int next = 0;
        int right = 0;
        int timed = 0;  // attempts in the window with a time
        int quick = 0;  // ...within kMedianMilliseconds
        bool holding = false;
        int lastDay = -1;
        int closedDays = 0;  // earlier days on which the mark held at the end
        bool mastered = false;
    };
    // The question answered last, to tell a question asked again.
    struct LastAnswer {
        std::int64_t session = 0;
        int run = 0;
        bool wrong = false;
        std::vector<int> notes;  // kept only when wrong
    };
    static bool holds(const ClassState& state);
    static int median(const ClassState& state);
    void apply(const JournalEntry& entry);

    std::array<ClassState, kPitchClasses> classes_{};
    std::optional<LastAnswer> last_;
    // As before the last answer, for replaceLast.
    std::optional<ClassState> undoClass_;
    int undoPitchClass_ = -1;
    std::optional<LastAnswer> undoLast_;
    bool undoable_ = false;  // an answer was added since the start
};

}  // namespace velmora
