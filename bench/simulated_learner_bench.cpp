// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// Simulated learners taught by the trainer, with the questions drawn evenly
// (the coach off) and chosen by the coach: how many answers until every
// ticked pitch class is known nine times in ten.
//
// The learner names a pitch class right with a chance that grows with the
// answers it has given to that class: p = pmax - (pmax - p0) exp(-n / tau).
// When wrong it takes the class for a ticked semitone neighbour with a fixed
// chance, otherwise for any other ticked class. It answers a real trainer
// through the test rig: every answer goes through the run, the journal and
// the mastery the coach reads, exactly as in the program.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "coach/mastery.h"
#include "figures.h"
#include "testing/trainer_rig.h"

namespace {

using velmora::bench::Format;
using velmora::bench::PrintFigure;

constexpr int kSeeds = 1000;    // the medians then move by a few answers at most
constexpr double kKnown = 0.9;  // the learner's own chance, not an estimate
constexpr double kFirstChance = 0.3;
constexpr double kBestChance = 0.98;
constexpr double kNeighbourMistake = 0.6;
constexpr int kGiveUpAfter = 40000;

// C major's seven pitch classes, in a range of three octaves (each class
// three times, so the even draw is even among classes too).
const std::vector<int> kTicked = {0, 2, 4, 5, 7, 9, 11};
constexpr int kLowest = 48;
constexpr int kHighest = 83;

struct Scenario {
    const char* name;
    const char* goal;
    double goalRatio;
    std::array<double, velmora::kPitchClasses> tau;  // answers to a class
};

// The journal as the desktop program feeds it to the coach's mastery.
class MasteryJournal final : public velmora::Journal {
public:
    explicit MasteryJournal(velmora::MasteryTracker& tracker) : tracker_(tracker) {}
    void record(const velmora::JournalEntry& entry) override { tracker_.add(entry); }
    void replaceLast(const velmora::JournalEntry& entry) override { tracker_.replaceLast(entry); }

private:
    velmora::MasteryTracker& tracker_;
};

class SimulatedLearner {
public:
    SimulatedLearner(const Scenario& scenario, std::uint64_t seed)
        : tau_(scenario.tau), random_(seed) {}

    double chance(int pitchClass) const {
        return kBestChance -
               (kBestChance - kFirstChance) * std::exp(-practised_[pitchClass] / tau_[pitchClass]);
    }
    bool knowsAll() const {
        return std::all_of(kTicked.begin(), kTicked.end(),
                           [&](int pitchClass) { return chance(pitchClass) >= kKnown; });
    }
    // The pitch class named for a note of `pitchClass`; practice follows.
    int answer(int pitchClass) {
        const bool right = uniform_(random_) < chance(pitchClass);
        ++practised_[pitchClass];
        if (right) return pitchClass;
        std::vector<int> neighbours, others;
        for (int other : kTicked) {
            if (other == pitchClass) continue;
            others.push_back(other);
            const int steps = std::abs(other - pitchClass);
            if (steps == 1 || steps == velmora::kPitchClasses - 1) neighbours.push_back(other);
        }
        const std::vector<int>& from =
            !neighbours.empty() && uniform_(random_) < kNeighbourMistake ? neighbours : others;
        return from[random_() % from.size()];
    }

private:
    std::array<double, velmora::kPitchClasses> tau_;
    std::array<double, velmora::kPitchClasses> practised_{};
    std::mt19937_64 random_;
    std::uniform_real_distribution<double> uniform_;
};

// Answers (first attempts and questions posed again alike) until the learner
// knows every ticked class.
int AnswersUntilKnown(const Scenario& scenario, std::uint64_t seed, bool coached) {
    velmora::MasteryTracker tracker;
    MasteryJournal journal(tracker);
    velmora::testing::TrainerRig rig(
        {.seed = seed * 7919 + 17, .startTime = velmora::TimeOfDay{9, 0, 0}, .journal = &journal});
    velmora::Trainer& trainer = rig.trainer;
    trainer.Form_Load();
    trainer.setMastery(&tracker);
    // Only the choice of questions is compared, without the sound between them.
    trainer.setCoachOptions({.choosesQuestions = coached, .clearsEar = false});
    velmora::Panel& panel = trainer.panel();
    for (int pitchClass = 0; pitchClass < velmora::kPitchClasses; ++pitchClass) {
        panel.lstPitch.setSelected(
            pitchClass, std::find(kTicked.begin(), kTicked.end(), pitchClass) != kTicked.end());
    }
    panel.vsbNoteRange[0].setValue(kLowest);
    panel.vsbNoteRange[1].setValue(kHighest);

    SimulatedLearner learner(scenario, seed);
    const auto noteLength = std::chrono::nanoseconds(
        static_cast<std::int64_t>(trainer.playback().noteDurationMs() * 1e6));
    int answers = 0;
    while (!learner.knowsAll() && answers < kGiveUpAfter) {
        // A run ends when its log is full: the learner starts another.
        if (!trainer.state().exerciseRunning) panel.cmdPlay.click();
        const int asked = velmora::PitchClassOf(trainer.state().questionNotes.at(0));
        panel.cmdAnswerButton[learner.answer(asked)].click();
        ++answers;
        rig.clock.advanceBy(noteLength);
    }
    return answers;
}

}  // namespace

int main() {
    std::array<double, velmora::kPitchClasses> uneven{}, even{};
    for (int pitchClass : kTicked) {
        uneven[pitchClass] = 10;
        even[pitchClass] = 20;
    }
    // Two classes much harder than the rest, as the ones a learner keeps
    // taking for their neighbours.
    uneven[5] = uneven[11] = 45;
    const std::array<Scenario, 2> scenarios = {{
        {"some classes much harder", "coach >= 25 % fewer (ratio <= 0.75)", 0.75, uneven},
        {"all classes equally hard", "coach at most 5 % more (ratio <= 1.05)", 1.05, even},
    }};

    for (const Scenario& scenario : scenarios) {
        std::vector<double> uniform, coached;
        const double start = velmora::bench::MonotonicSeconds();
        for (int seed = 1; seed <= kSeeds; ++seed) {
            uniform.push_back(AnswersUntilKnown(scenario, seed, false));
            coached.push_back(AnswersUntilKnown(scenario, seed, true));
        }
        const double seconds = velmora::bench::MonotonicSeconds() - start;
        const double uniformMedian = velmora::bench::Median(uniform);
        const double coachedMedian = velmora::bench::Median(coached);
        std::printf(
            "%s: answers until known, median (p10 .. p90): even draw %.0f (%.0f .. %.0f), "
            "coach %.0f (%.0f .. %.0f); %.1f s\n",
            scenario.name, uniformMedian, velmora::bench::Percentile(uniform, 0.1),
            velmora::bench::Percentile(uniform, 0.9), coachedMedian,
            velmora::bench::Percentile(coached, 0.1), velmora::bench::Percentile(coached, 0.9),
            seconds);
        const std::string how =
            "simulated_learner_bench: " + std::to_string(kSeeds) +
            " learners, 7 classes (C major) over 3 octaves, p = 0.98 - 0.68 exp(-n/tau), "
            "known at the learner's own p >= 0.9; every answer counted, again-asked ones too";
        PrintFigure(std::string("Answers until known, even draw, ") + scenario.name,
                    Format("%.0f", uniformMedian), "(baseline)", how);
        PrintFigure(std::string("Answers until known, coach, ") + scenario.name,
                    Format("%.0f", coachedMedian), "(see ratio)", how);
        PrintFigure(std::string("Coach / even draw, medians, ") + scenario.name,
                    Format("%.3f", coachedMedian / uniformMedian), scenario.goal, how);
    }
    return 0;
}
