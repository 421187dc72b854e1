// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// Long random sessions of everything a user can do, with the trainer's
// promises checked after every single action. A failure names the seed and
// the actions that led to it.
//
//   VELMORA_SESSION_SEED=n      another first seed (the default keeps CI reproducible)
//   VELMORA_SESSION_ACTIONS=n   more actions (by hand: 10000000)

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>

#include "app/trainer_fixture.h"
#include "practice/practice_timer.h"
#include "questions/question_generator.h"

namespace velmora::testing {
namespace {

using namespace std::chrono_literals;

template <typename... Parts>
std::string Say(const Parts&... parts) {
    std::ostringstream out;
    (out << ... << parts);
    return out.str();
}

// The rig's recorder, with the time of the latest note-on. Bound to the rig
// before it is built, and used only once it is.
class TimedMidiOut final : public MidiOut {
public:
    explicit TimedMidiOut(TrainerRig& rig) : rig_(rig) {}
    bool open() override { return rig_.device.open(); }
    void send(std::uint32_t message) override {
        if ((StatusOf(message) & 0xF0) == kNoteOnStatus) lastNoteOn = rig_.clock.now();
        rig_.device.send(message);
    }
    void close() override { rig_.device.close(); }
    std::string description() const override { return rig_.device.description(); }
    bool isWorking() const override { return rig_.device.isWorking(); }
    Nanos lastNoteOn{0};

private:
    TrainerRig& rig_;
};

// The objects behind one window, from start-up until it is closed.
struct Window {
    explicit Window(std::uint64_t seed)
        : rig({.seed = seed,
               .startTime = TimeOfDay{static_cast<int>(seed % 24), 59, 30},
               .output = &timed}) {
        rig.trainer.Form_Load();
    }
    TimedMidiOut timed{rig};
    TrainerRig rig;
};

class Session {
public:
    explicit Session(std::uint64_t seed) : seed_(seed), longPractice_(seed % 2 == 1) { open(); }

    // Runs one action and checks every promise; empty when all hold.
    // An action is one draw: what it means is decided when it runs, from the
    // state then, so any subsequence can be replayed.
    std::string step(std::uint64_t draw, std::string& description);

private:
    void open() {
        window_ = std::make_unique<Window>(seed_ * 7919 + opened_++);
        soundingKeys_.clear();
        jumpedBack_ = false;
    }
    // When the note started last ends at the present tempo and note value.
    Nanos noteEnd() {
        const double ms = window_->rig.trainer.playback().noteDurationMs();
        return window_->timed.lastNoteOn + Nanos(static_cast<Nanos::rep>(std::ceil(ms * 1e6)));
    }
    // What an action was, for the checks that depend on it.
    struct Done {
        bool stopped = false;      // STOP
        bool advanced = false;     // the clock moved on, firing what fell due
        bool pastNoteEnd = false;  // ... to just past the end of the note last started
    };
    std::string act(std::uint64_t draw, Done& done);
    std::string checkMessages();
    std::string checkInvariants();

    std::uint64_t seed_;
    bool longPractice_;
    int opened_ = 0;
    std::unique_ptr<Window> window_;
    std::map<int, int> soundingKeys_;  // key -> note-ons not yet matched by a note-off
    bool jumpedBack_ = false;          // the clock went back since the current wait began
    int noteOffs_ = 0;                 // in the messages of the latest action
    bool noteOns_ = false;
};

std::string Session::act(std::uint64_t draw, Done& done) {
    Panel& p = window_->rig.trainer.panel();
    ManualScheduler& clock = window_->rig.clock;
    const auto low = static_cast<std::uint32_t>(draw), a = static_cast<std::uint32_t>(draw >> 32);
    // Weighted: answers and the passing of time dominate a real hour.
    int kind = static_cast<int>(low % 100);
    // Every other seed is one long practice: PLAY, STOP and closing are rare.
    if (longPractice_ && ((kind >= 30 && kind < 37) || kind >= 98) && low / 100 % 20 != 0) {
        kind = 0;
    }
    if (kind < 22) {
        Button& button = p.cmdAnswerButton[a % kPitchClasses];
        button.click();
        return "click " + button.name();
    }
    if (kind < 30) {
        static constexpr char kLetters[] = "CVDWEFTGQASBcvdweftgqasb";
        const int code = a % 2 ? kLetters[(a >> 1) % (sizeof kLetters - 1)]
                               : static_cast<int>((a >> 1) % 320) - 10;
        auto* button = dynamic_cast<Button*>(p.focus().current());
        if (!button) return Say("key ", code, " (no button focused)");
        button->keyPress(code);
        return Say("key ", code, " on ", button->name());
    }
    if (kind < 35) {
        p.cmdPlay.click();
        return "PLAY";
    }
    if (kind < 37) {
        p.cmdPlayStop.click();
        done.stopped = true;
        return "STOP";
    }
    if (kind < 39) {
        std::string what = "drill";
        if (a % 2 && p.lstPitch.enabled()) {
            // Unchecking all but one pitch first, as the drill needs.
            const int only = static_cast<int>((a >> 1) % kPitchClasses);
            for (int i = 0; i < kPitchClasses; ++i) p.lstPitch.setSelected(i, i == only);
            what = Say("only pitch ", only, ", then drill");
        }
        p.pic_Repeat_1_Note.click();
        return what;
    }
    if (kind < 41) {
        p.cmdEraseAnswer.click();
        return "erase answer";
    }
    if (kind < 45) {
        const int i = static_cast<int>(a % kPitchClasses);
        if (!p.lstPitch.enabled()) return "(locked) lstPitch";
        p.lstPitch.setSelected(i, !p.lstPitch.selected(i));
        return Say("toggle pitch ", i);
    }
    if (kind < 47) {
        const std::size_t i = a % p.mnuSelectExercise.size();
        if (!p.mnuDefaultExercises.enabled()) return "(locked) exercise menu";
        const int minTones = p.vsbMinimum.value(), maxTones = p.vsbMaximum.value();
        p.mnuSelectExercise[i].click();
        // On the way every pool that holds notes holds a whole pitch class of
        // the range, so the chord tones never fall below the fewest notes one
        // pitch class has there; the moment nothing is checked changes nothing.
        const int width = p.vsbNoteRange[1].value() - p.vsbNoteRange[0].value() + 1;
        const int floor = width < 1 ? kMaxChordTones : std::max(1, width / 12);
        const int minNow = p.vsbMinimum.value(), maxNow = p.vsbMaximum.value();
        if (minNow > minTones || maxNow > maxTones || minNow < std::min(minTones, floor) ||
            maxNow < std::min(maxTones, floor)) {
            return Say("exercise ", i, ": FAILED chord tones ", minTones, "/", maxTones, " became ",
                       minNow, "/", maxNow);
        }
        return Say("exercise ", i);
    }
    if (kind < 48) {
        const std::size_t i = a % p.mnuSetRange.size();
        if (!p.mnuRange.enabled()) return "(locked) range menu";
        p.mnuSetRange[i].click();
        return Say("range preset ", i);
    }
    if (kind < 56) {
        std::array<ScrollBar*, 6> bars = {&p.vsbMinimum,      &p.vsbMaximum,
                                          &p.vsbNoteRange[0], &p.vsbNoteRange[1],
                                          &p.vsbTempo,        &p.vsbAlottedTimeForExercise};
        ScrollBar& b = *bars[a % bars.size()];
        if (!b.enabled()) return "(locked) " + b.name();
        // One up or down, to either end, or anywhere (even outside the bar).
        const int to[] = {b.value() + 1, b.value() - 1, b.maximum(), b.minimum(),
                          b.minimum() + static_cast<int>((a >> 11) % 4000)};
        b.setValue(to[(a >> 8) % 5]);
        return Say(b.name(), " to ", b.value());
    }
    if (kind < 61) {
        // The key signature, the note value or the instrument.
        ListControl& list = kind < 58   ? p.lstKeySignature
                            : kind < 60 ? p.lstDuration
                                        : p.cboInstrument;
        list.setListIndex(static_cast<int>(a % list.count()));
        return Say(list.name(), " to ", list.text());
    }
    if (kind < 64) {
        CheckBox& box = kind < 63 ? p.chkShepard : p.chkExcludeExactOctave;
        if (!box.enabled()) return "(locked) " + box.name();
        box.setChecked(!box.checked());
        return box.name() + " toggled";
    }
    if (kind < 66) {
        // Tab or a click moves the focus, so keys go elsewhere.
        Control* control = p.controls()[a % p.controls().size()];
        control->setFocus();
        return "focus " + control->name();
    }
    if (kind == 91) {
        // Hear my answer, with the coach's options off: it never counts.
        const TrainerState& st = window_->rig.trainer.state();
        const std::size_t rows = p.ListView1.rows().size();
        const int counted = st.rightCount + st.wrongCount;
        const bool taken = window_->rig.trainer.HearMyAnswer();
        if (p.ListView1.rows().size() != rows || st.rightCount + st.wrongCount != counted) {
            return "hear my answer: FAILED it was counted";
        }
        return taken ? "hear my answer" : "hear my answer (refused)";
    }
    if (kind < 92) {
        // A few ns, short, medium, just past the end of the sounding note, to
        // the next whole second, or long.
        const int how = static_cast<int>((a >> 24) % 8);
        const Nanos pastEnd = std::max(Nanos{1}, noteEnd() + 1us - clock.now());
        const Nanos steps[] = {Nanos(a % 1000),
                               std::chrono::milliseconds(a % 300),
                               std::chrono::milliseconds(a % 300),
                               std::chrono::milliseconds(a % 5000),
                               pastEnd,
                               pastEnd,
                               1s - clock.now() % 1s,
                               std::chrono::seconds(a % 600)};
        clock.advanceBy(steps[how]);
        done.advanced = true;
        done.pastNoteEnd = how == 4 || how == 5;
        return Say("advance ", steps[how].count(), " ns",
                   done.pastNoteEnd ? " past the note end" : "");
    }
    if (kind < 94) {
        // Near the two moments the 12-hour clock texts start over, or anywhere.
        const int hour = a % 3 == 0 ? 11 : a % 3 == 1 ? 23 : static_cast<int>((a >> 2) % 24);
        const int second = static_cast<int>((a >> 8) % 3600);
        window_->rig.wallClock.setStart(hour, second / 60, second % 60);
        return Say("wall clock set to ", hour, ":", second / 60);
    }
    if (kind < 97) {
        Nanos to = clock.now() + std::chrono::milliseconds((a >> 1) % 3'600'000);
        if (a % 2 == 0) {
            to = std::max(Nanos{0}, clock.now() - std::chrono::milliseconds((a >> 1) % 5000));
            jumpedBack_ = to < clock.now() || jumpedBack_;
        }
        clock.jumpTo(to);
        return Say("monotonic clock jumps to ", to.count(), " ns");
    }
    if (kind < 98) {
        clock.runDue();
        done.advanced = true;
        return "event loop pass";
    }
    // Closing the window, then starting the program again.
    window_->rig.trainer.Form_Unload();
    std::string failure = checkMessages();
    if (!window_->rig.device.sounding.empty()) failure = "notes sound after closing";
    if (clock.pendingTimers() != 0) failure = "timers left after closing";
    if (window_->rig.trainer.state().exerciseRunning || window_->rig.trainer.state().repeatActive) {
        failure = "a run or drill goes on after closing";
    }
    clock.advanceBy(60s);
    if (window_->rig.device.sentWhileClosed != 0) failure = "messages sent after closing";
    if (!failure.empty()) return "close window: FAILED " + failure;
    open();
    return "close window and start again";
}

// Every note-on is released exactly once, and nothing reaches a closed device.
std::string Session::checkMessages() {
    RecordingMidiOut& device = window_->rig.device;
    noteOffs_ = 0;
    noteOns_ = false;
    for (std::uint32_t message : device.messages) {
        const int kind = StatusOf(message) & 0xF0;
        const int key = Data1Of(message) | (StatusOf(message) & 0x0F) << 8;
        if (kind == kNoteOnStatus && Data2Of(message) > 0) {
            if (soundingKeys_[key]++ != 0) return Say("note ", key, " started twice");
            noteOns_ = true;
        } else if (kind == kNoteOffStatus || kind == kNoteOnStatus) {
            if (soundingKeys_[key]-- != 1) return Say("note ", key, " released twice");
            ++noteOffs_;
        }
    }
    device.clear();
    if (device.sentWhileClosed != 0) return "a message reached the closed device";
    return "";
}

std::string Session::checkInvariants() {
    Trainer& trainer = window_->rig.trainer;
    Panel& p = trainer.panel();
    TrainerState& st = trainer.state();
    const bool waiting = trainer.playback().isWaiting();
    const bool running = st.exerciseRunning;
    const bool drill = st.repeatActive;

    if (!waiting && !window_->rig.device.sounding.empty())
        return "a note sounds after its playback";
    if (drill && !running) return "drill flagged without running";
    if (running && !waiting) return "a run or drill is waiting for nothing";
    if (!running && !waiting && window_->rig.clock.pendingTimers() != 0)
        return "timers left when idle";
    if (p.Timer1.enabled() != (running && !drill)) return "practice timer out of step with the run";

    // The lock is one state for all ten controls. A run locks it from PLAY
    // until its loop ends. STOP unlocks at once while the last question still
    // sounds; when the practice time is up (or the log is full) the run takes
    // no more answers but stays locked until that question has been released.
    // The drill never locks.
    const auto& locked = trainer.settingsLock().lockedControls();
    const bool isLocked = !locked[0]->enabled();
    for (Control* control : locked) {
        if (control->enabled() == isLocked) return "lock is split at " + control->name();
    }
    if (running && !drill && !isLocked) return "run in progress with the settings unlocked";
    if (drill && isLocked) return "drill with the settings locked";
    if (!running && !waiting && isLocked) return "settings locked after the run ended";

    // Notes of checked pitches within low..high, rising.
    const auto drawn = [&](const std::vector<Note>& notes, int low, int high) {
        return std::adjacent_find(notes.begin(), notes.end(), std::greater_equal<>()) ==
                   notes.end() &&
               std::all_of(notes.begin(), notes.end(), [&](Note n) {
                   return n >= low && n <= high && p.lstPitch.selected(PitchClassOf(n));
               });
    };
    // The pool is every such note of the range.
    const std::vector<Note>& pool = st.candidateNotes;
    const int low = p.vsbNoteRange[0].value(), high = p.vsbNoteRange[1].value();
    std::size_t inRange = 0;
    for (int n = low; n <= high; ++n) inRange += p.lstPitch.selected(PitchClassOf(n));
    if (!drawn(pool, low, high) || pool.size() != inRange) {
        return Say("candidate pool out of step with the pitches in ", low, "..", high);
    }
    for (int pc = 0; pc < kPitchClasses; ++pc) {
        if (p.cmdAnswerButton[pc].enabled() != p.lstPitch.selected(pc)) {
            return Say("answer button ", pc, " out of step with its pitch");
        }
    }
    // An empty pool leaves the cap where the last pool put it, which may have
    // been a passing one.
    const int cap = pool.empty() ? p.vsbMaximum.maximum()
                                 : std::min(static_cast<int>(pool.size()), kMaxChordTones);
    if (cap < 1 || cap > kMaxChordTones) return Say("chord-tone cap ", cap);
    const int minTones = p.vsbMinimum.value(), maxTones = p.vsbMaximum.value();
    if (p.vsbMinimum.maximum() != cap || p.vsbMaximum.maximum() != cap || minTones < 1 ||
        minTones > maxTones || maxTones > cap) {
        return Say("chord tones ", minTones, "..", maxTones, " outside 1..", cap);
    }
    if (p.cmdEraseAnswer.enabled() != (maxTones >= 2)) return "erase button out of step";

    // Every label shows a text it can show.
    for (auto [label, value] : {std::pair{&p.lblMinimum, minTones},
                                {&p.lblMaximum, maxTones},
                                {&p.lblTempo, p.vsbTempo.value()}}) {
        if (label->caption() != std::to_string(value)) return label->name() + " wrong";
    }
    if (st.tempo != p.vsbTempo.value() ||
        st.notesPerBeat != NotesPerBeatForIndex(p.lstDuration.listIndex())) {
        return "tempo or note value field wrong";
    }
    // Whole seconds from 0 up to the largest the 16-bit minute count shows.
    int minutes = 0, seconds = -1;
    const std::string& elapsed = p.lblTimeElapsed.caption();
    if (elapsed != "time elapsed" &&
        (std::sscanf(elapsed.c_str(), "%d : %d", &minutes, &seconds) != 2 || seconds < 0 ||
         minutes * 60 + seconds > 32819 ||
         FormatMinutesSeconds(minutes * 60 + seconds) != elapsed)) {
        return "lblTimeElapsed shows '" + elapsed + "'";
    }
    const std::string& result = p.lblResult.caption();
    if (result != "" && result != kSingleNotePrompt && result != kChordPrompt &&
        result != "Correct" && result != "Incorrect") {
        return "lblResult shows '" + result + "'";
    }
    int number = 0;
    const std::string& numberText = p.lblQuestionNumber.caption();
    if (numberText != "Q#" && numberText != "" &&
        (std::sscanf(numberText.c_str(), "Q # %d", &number) != 1 || number < 1 ||
         numberText != Say("Q # ", number))) {
        return "lblQuestionNumber shows '" + numberText + "'";
    }
    if (const std::string& input = p.lblNoteInput.caption(); input != "Note Input") {
        static const std::set<std::string> names = [] {
            std::set<std::string> all;
            for (const auto& key : kSpellingTable) all.insert(key.begin(), key.end());
            return all;
        }();
        std::istringstream parts(input);
        bool named = input.empty() || input.back() != '-';
        for (std::string part; std::getline(parts, part, '-');) named = named && names.count(part);
        if (!named) return "lblNoteInput shows '" + input + "'";
    }

    // The score, the log and its displays agree.
    const int records = static_cast<int>(st.responseLog.size());
    if (st.responseLogLast + 1 != records || st.rightCount < 0 || st.wrongCount < 0 ||
        st.rightCount + st.wrongCount != records || st.questionNumber < 0 ||
        std::ssize(p.ListView1.rows()) != records || p.lstResponses.count() != records) {
        return Say(records, " records (last ", st.responseLogLast, ") for ", st.rightCount,
                   " right and ", st.wrongCount, " wrong, question ", st.questionNumber, ", ",
                   p.ListView1.rows().size(), " rows and ", p.lstResponses.count(), " responses");
    }
    int streak = 0;
    for (auto it = st.responseLog.rbegin(); it != st.responseLog.rend(); ++it, ++streak) {
        if (!it->ends_with(Say(kRecordSeparator, "Correct"))) break;
    }
    if (streak != st.streak) return Say("streak ", st.streak, ", log says ", streak);
    if (records > 0) {
        const std::string& last = st.responseLog.back();
        if (last.rfind(Say("#", records, kRecordSeparator), 0) != 0) {
            return "last record is misnumbered: " + last;
        }
        const std::vector<std::string> stats = p.lstStats.items();
        if (stats.size() != 4 || stats[0] != Say("Right: ", st.rightCount) ||
            stats[1] != Say("Wrong: ", st.wrongCount) || stats[3] != Say("Streak: ", st.streak)) {
            return "statistics lines disagree with the counts";
        }
    }

    // The question in play was drawn from what is checked, within the range.
    if (running && !drill &&
        (st.questionNotes.empty() || !drawn(st.questionNotes, st.noteRangeLow, st.noteRangeHigh))) {
        return "question '" + st.questionText + "' not drawn from the pool";
    }
    return "";
}

std::string Session::step(std::uint64_t draw, std::string& description) {
    const bool waitingBefore = window_->rig.trainer.playback().isWaiting();
    Done done;
    const std::string& what = description = act(draw, done);
    if (what.find("FAILED") != std::string::npos) return what;

    if (std::string failure = checkMessages(); !failure.empty()) return failure;
    if (noteOns_ && what.rfind("monotonic", 0) != 0) jumpedBack_ = false;
    // A wait ends one note duration after it began, never later, unless the
    // clock has since been set back.
    if (done.pastNoteEnd && waitingBefore && !jumpedBack_ && noteOffs_ == 0) {
        return "the wait did not end one note duration after it began";
    }
    if (done.advanced && window_->rig.trainer.playback().isWaiting() && !jumpedBack_ &&
        window_->rig.clock.now() >= noteEnd()) {
        return "a note outlasts its duration";
    }
    if (done.stopped && !window_->rig.trainer.settingsLock().lockedControls()[0]->enabled()) {
        return "STOP left the settings locked";
    }
    return checkInvariants();
}

long long FromEnvironment(const char* name, long long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoll(text) : fallback;
}

TEST(RandomSession, EveryPromiseHoldsAfterEveryAction) {
    constexpr int kActionsPerSeed = 1000;
    const long long actions = FromEnvironment("VELMORA_SESSION_ACTIONS", 100000);
    std::uint64_t seed = static_cast<std::uint64_t>(FromEnvironment("VELMORA_SESSION_SEED", 1));
    for (long long done = 0; done < actions; done += kActionsPerSeed, ++seed) {
        std::mt19937_64 engine(seed);
        Session session(seed);
        std::vector<std::string> descriptions;
        for (int i = 0; i < kActionsPerSeed; ++i) {
            const std::string failure = session.step(engine(), descriptions.emplace_back());
            if (failure.empty()) continue;
            // The actions up to the failure, the last of them named.
            std::string report = Say("seed ", seed, ": ", failure, " after action ", i + 1,
                                     "; the actions before it:");
            for (int j = std::max(0, i - 30); j <= i; ++j) {
                report += Say("\n  ", j + 1, ". ", descriptions[j]);
            }
            FAIL() << report;
        }
    }
}

}  // namespace
}  // namespace velmora::testing
