#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "midi/midi_out.h"
#include "midi/setup/background_open.h"
#include "midi/setup/sound_options.h"
#include "ports/beeper.h"

namespace velmora {

// What to show about the sound now: the status line, and the problems to
// tell on the terminal, each once as it arises.
struct SoundReport {
    std::string status;
    std::vector<std::string> newProblems;
};

class BuiltInSynth;

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
    MidiOut& device() { return *device_; }
    Beeper& beeper() { return *beeper_; }

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
    std::unique_ptr<MidiOut> device_;
    std::unique_ptr<Beeper> ownBeeper_;  // the beep, when the notes go to an external port
    Beeper* beeper_ = nullptr;
    BackgroundOpen* background_ = nullptr;  // inside device_, when it opens in the background
    BuiltInSynth* synth_ = nullptr;         // inside device_, when it is the built-in synthesizer
    BackgroundOpen::Post post_;
    std::vector<std::string> problems_;  // found while setting up
    std::string logProblem_;             // why the MIDI log stopped
    std::vector<std::string> untold_;    // problems that came up after setting up
    std::function<void()> changed_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // checked by posted changes
    bool setUpTold_ = false;
    std::string lastProblem_;  // the device's, as last told
};

// One line per MIDI output, numbered as --midi-out takes them after the
// built-in synthesizer, which is listed first as device 0.
std::vector<std::string> ListMidiOutputs();

}  // namespace velmora
