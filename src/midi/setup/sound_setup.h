// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "midi/midi_out.h"
#include "midi/setup/background_open.h"
#include "midi/sound_options.h"
#include "ports/beeper.h"

namespace velmora {

// What to show about the sound now: the status line, and the problems to
// tell on the terminal, each once as it arises.
struct SoundReport {
    std::string status;
    std::vector<std::string> newProblems;
    bool problem = false;  // the status says what is wrong, not what plays
};

class BuiltInSynth;
class SwitchableOut;

// The sound the user asks for, chosen in this one place: the built-in
// synthesizer by default, or an external MIDI port; optionally logged.
class SoundSetup {
public:
    // With `post`, the built-in synthesizer opens on a worker thread and
    // reports back through it (see BackgroundOpen); without, open() blocks.
    explicit SoundSetup(const SoundOptions& options, BackgroundOpen::Post post = nullptr);
    ~SoundSetup();
    SoundSetup(const SoundSetup&) = delete;
    SoundSetup& operator=(const SoundSetup&) = delete;

    // MIDI output device 0 of the trainer; the trainer opens and closes it.
    // It stays the same object whatever reopen() chooses.
    MidiOut& device() { return *device_; }
    Beeper& beeper() { return beeper_; }

    // Plays through what `options` choose from now on, the run going on: the
    // notes sounding are released on the old output, which is closed before
    // the new one opens (if the trainer has opened the device). The MIDI log
    // stays as it was set up.
    void reopen(const SoundOptions& options);
    // The built-in synthesizer's volume from now on, on the notes sounding
    // too: nothing is opened again. Kept for the next reopen().
    void setVolume(int percent);
    // Opens the same choices again, as when what stood in their way is gone.
    void tryAgain() { reopen(options_); }
    const SoundOptions& options() const { return options_; }
    // A problem found before setting up (a remembered choice that failed),
    // told with the next report; forgotten at the next reopen().
    void tell(std::string problem) { outputProblems_.push_back(std::move(problem)); }

    // Runs `changed` on the owning thread whenever report() may have news:
    // when the device opened in the background has started or failed, and
    // when the built-in synthesizer loses its audio output or gets one
    // back, or when the MIDI log can no longer be written. Never once the
    // device is closed.
    void onChange(std::function<void()> changed) { changed_ = std::move(changed); }
    // The device's state as the user should see it. Problems found while
    // setting up are told with the device's first report after opening.
    SoundReport report();

private:
    // The beep goes wherever the output in use plays it.
    class BeeperSwitch final : public Beeper {
    public:
        void Beep(int frequencyHz, int durationMs) override {
            if (to != nullptr) to->Beep(frequencyHz, durationMs);
        }
        Beeper* to = nullptr;
    };

    // The output `options` choose, for the switch; sets the pointers below.
    std::unique_ptr<MidiOut> build(const SoundOptions& options);
    void tellChange();

    SoundOptions options_;
    std::unique_ptr<MidiOut> device_;
    SwitchableOut* switch_ = nullptr;    // inside device_
    std::unique_ptr<Beeper> ownBeeper_;  // the beep, when the notes go to an external port
    BeeperSwitch beeper_;
    BackgroundOpen* background_ = nullptr;  // inside device_, when it opens in the background
    BuiltInSynth* synth_ = nullptr;         // inside device_, when it is the built-in synthesizer
    BackgroundOpen::Post post_;
    std::vector<std::string> logProblems_;     // found while setting up the log
    std::vector<std::string> outputProblems_;  // found before opening the output in use
    std::string logProblem_;                   // why the MIDI log stopped
    std::vector<std::string> untold_;          // problems that came up after setting up
    std::function<void()> changed_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // checked by posted changes
    std::shared_ptr<int> current_;  // the output in use: news of an earlier one is old
    bool setUpTold_ = false;
    std::string lastProblem_;  // the device's, as last told
};

// One line per MIDI output, numbered as --midi-out takes them after the
// built-in synthesizer, which is listed first as device 0.
std::vector<std::string> ListMidiOutputs();

}  // namespace velmora
