// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "coach/next_step.h"

#include <algorithm>

#include "model/exercise_table.h"
#include "model/panel.h"
#include "progress/progress_statistics.h"
#include "scoring/answer_journal.h"

namespace velmora {

namespace {

constexpr int kExerciseCount = static_cast<int>(kExercises.size());
constexpr int kPerSeries = kExerciseCount / 2;
// Wrong namings of one pair this week that call for practising the two together.
constexpr std::uint32_t kConfusionsToPractise = 5;

ExerciseSeries SeriesOf(int exercise) {
    return exercise < kPerSeries ? ExerciseSeries::Diminished : ExerciseSeries::Diatonic;
}

bool TickedIs(const std::array<bool, kPitchClasses>& ticked, std::string_view mask) {
    for (int pc = 0; pc < kPitchClasses; ++pc) {
        if (ticked[pc] != (mask[pc] == '1')) return false;
    }
    return true;
}

// "C, D, E and F"
std::string ListOfNames(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

// The exercise's pitch classes in the order its series brought them in, as
// its caption lists them, spelled in the key signature shown now.
std::string ExercisePitchNames(int exercise, const std::array<std::string, kPitchClasses>& names) {
    std::string_view caption = kExercises[exercise].caption;
    const auto open = caption.find('('), close = caption.rfind(')');
    std::vector<std::string> spelled;
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return {};
    }
    caption = caption.substr(open + 1, close - open - 1);
    while (!caption.empty()) {
        const auto comma = caption.find(", ");
        const int pc = PitchClassOfName(caption.substr(0, comma));
        if (pc >= 0) spelled.push_back(names[pc]);
        caption = comma == std::string_view::npos ? std::string_view{} : caption.substr(comma + 2);
    }
    return ListOfNames(spelled);
}

NextStep SelectStep(std::string sentence, int exercise) {
    NextStep step;
    step.action = NextStep::Action::SelectExercise;
    step.sentence = std::move(sentence);
    step.button = "Start " + ExerciseShortName(exercise);
    step.exercise = exercise;
    return step;
}

NextStep TickStep(std::string sentence, std::string button, std::vector<int> pitchClasses) {
    NextStep step;
    step.action = NextStep::Action::TickPitchClasses;
    step.sentence = std::move(sentence);
    step.button = std::move(button);
    std::sort(pitchClasses.begin(), pitchClasses.end());
    step.pitchClasses = std::move(pitchClasses);
    return step;
}

std::optional<NextStep> GoOnFromTicked(const MasteryTracker& mastery,
                                       const std::array<bool, kPitchClasses>& ticked) {
    // The last exercise first: both series end with all twelve.
    for (int exercise = kExerciseCount - 1; exercise >= 0; --exercise) {
        if (!TickedIs(ticked, kExercises[exercise].mask)) continue;
        if (!mastery.exerciseMastered(exercise)) return std::nullopt;
        const std::optional<int> next = mastery.currentExercise(SeriesOf(exercise));
        if (!next || *next <= exercise) return std::nullopt;
        return SelectStep(
            ExerciseShortName(exercise) + " is mastered: go on to " + ExerciseShortName(*next),
            *next);
    }
    return std::nullopt;
}

std::optional<NextStep> PractiseConfusedPair(const Tally& lastSevenDays,
                                             const std::array<std::string, kPitchClasses>& names) {
    int asked = -1, answered = -1;
    std::uint32_t times = kConfusionsToPractise - 1;
    for (int a = 0; a < kPitchClasses; ++a) {
        for (int b = 0; b < kPitchClasses; ++b) {
            if (a != b && lastSevenDays.confusion[a][b] > times) {
                asked = a;
                answered = b;
                times = lastSevenDays.confusion[a][b];
            }
        }
    }
    if (asked < 0) return std::nullopt;
    const std::string& a = names[asked];
    const std::string& b = names[answered];
    return TickStep("You took " + a + " for " + b + " " + std::to_string(times) +
                        " times this week: practise " + a + " and " + b + " together",
                    "Practise " + a + " and " + b, {asked, answered});
}

std::optional<NextStep> PractiseFurthestFromMark(
    const PitchMasteries& all, const std::array<std::string, kPitchClasses>& names,
    char decimalSeparator) {
    int chosen = -1;
    for (int pc = 0; pc < kPitchClasses; ++pc) {
        if (all[pc].state != MasteryState::Learning) continue;
        if (chosen < 0) {
            chosen = pc;
            continue;
        }
        const int distance = all[pc].rightAnswersToMark();
        const int best = all[chosen].rightAnswersToMark();
        if (distance > best || (distance == best && all[pc].right < all[chosen].right)) {
            chosen = pc;
        }
    }
    if (chosen < 0) return std::nullopt;
    const PitchMastery& mastery = all[chosen];
    const std::string& name = names[chosen];
    std::string sentence;
    if (const int distance = mastery.rightAnswersToMark(); distance > 0) {
        sentence = name + " is " + std::to_string(distance) +
                   (distance == 1 ? " right answer" : " right answers") + " from mastered";
    } else if (!mastery.quickEnough()) {
        sentence = name + " is named right often enough: now name it within 2 seconds (half of " +
                   "the answers take " + SecondsText(mastery.medianMilliseconds, decimalSeparator) +
                   " s now)";
    } else {
        sentence = name + " holds its mark today: practise it again on another day to master it";
    }
    return TickStep(
        std::move(sentence), "Practise " + name,
        {(chosen + kPitchClasses - 1) % kPitchClasses, chosen, (chosen + 1) % kPitchClasses});
}

}  // namespace

std::string ExerciseShortName(int exercise) {
    if (exercise < 0 || exercise >= kExerciseCount) return {};
    std::string_view caption = kExercises[exercise].caption;
    caption = caption.substr(0, caption.find(" ("));
    std::string name(caption);
    if (const auto word = name.find("Exercise "); word != std::string::npos) {
        name.erase(word, 9);
    }
    return name;
}

std::string SecondsText(int milliseconds, char decimalSeparator) {
    const int tenths = (std::max(0, milliseconds) + 99) / 100;
    return std::to_string(tenths / 10) + decimalSeparator + std::to_string(tenths % 10);
}

NextStep ChooseNextStep(const MasteryTracker& mastery, const Tally& lastSevenDays,
                        const std::array<bool, kPitchClasses>& ticked,
                        const std::array<std::string, kPitchClasses>& names,
                        char decimalSeparator) {
    if (auto step = GoOnFromTicked(mastery, ticked)) return *step;
    if (auto step = PractiseConfusedPair(lastSevenDays, names)) return *step;
    if (auto step = PractiseFurthestFromMark(mastery.all(), names, decimalSeparator)) {
        return *step;
    }
    std::optional<int> next = mastery.currentExercise(ExerciseSeries::Diatonic);
    if (!next) next = mastery.currentExercise(ExerciseSeries::Diminished);
    if (!next) {
        NextStep step;
        step.sentence = "Every pitch class is mastered.";
        return step;
    }
    return SelectStep(
        "Go on with " + ExerciseShortName(*next) + ": " + ExercisePitchNames(*next, names), *next);
}

bool TakeNextStep(const NextStep& step, Panel& panel) {
    // A run locks both; its settings stay as they were.
    if (!panel.mnuDefaultExercises.enabled() || !panel.lstPitch.enabled()) return false;
    switch (step.action) {
        case NextStep::Action::SelectExercise:
            if (step.exercise < 0 || step.exercise >= kExerciseCount) return false;
            panel.mnuSelectExercise[step.exercise].click();
            return true;
        case NextStep::Action::TickPitchClasses: {
            std::array<bool, kPitchClasses> wanted{};
            for (int pc : step.pitchClasses) {
                if (pc >= 0 && pc < kPitchClasses) wanted[pc] = true;
            }
            for (int item = 0; item < panel.lstPitch.count(); ++item) {
                if (item >= kPitchClasses || !wanted[item]) panel.lstPitch.setSelected(item, false);
            }
            for (int pc = 0; pc < kPitchClasses; ++pc) {
                if (wanted[pc]) panel.lstPitch.setSelected(pc, true);
            }
            return true;
        }
        case NextStep::Action::None:
            break;
    }
    return false;
}

}  // namespace velmora
