#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "midi/devices/background_open.h"
#include "midi/midi_out.h"
#include "ports/beeper.h"

namespace velmora {

// The sound the command line asks for, chosen in this one place: the built-in
// synthesizer by default, or an external MIDI port; optionally logged.
class SoundOutput {
public:
    // With `post`, the built-in synthesizer opens on a worker thread and
    // reports back through it (see BackgroundOpen); without, open() blocks.
    explicit SoundOutput(const Options& options, BackgroundOpen::Post post = nullptr);
    ~SoundOutput();
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // MIDI output device 0 of the trainer; the trainer opens and closes it.
    MidiOut& device() { return *device_; }
    Beeper& beeper() { return *beeper_; }

    // Problems found while setting up, one line each (the device's own
    // problems are in device().description() once it is opened).
    const std::vector<std::string>& problems() const { return problems_; }

    // Runs `done` once the device opened by the trainer has opened or failed;
    // at once unless it opens in the background.
    void whenOpen(std::function<void()> done);

    // Runs `report` with each problem that comes up later, while the trainer
    // sends (the MIDI log cannot be written any more), on the thread that
    // sends. One that comes up while the device is still opening, or before
    // anyone listens, joins problems() instead.
    void whenProblem(std::function<void(const std::string&)> report);

private:
    std::unique_ptr<MidiOut> device_;
    std::unique_ptr<Beeper> ownBeeper_;  // the beep, when the notes go to an external port
    Beeper* beeper_ = nullptr;
    BackgroundOpen* background_ = nullptr;  // inside device_, when it opens in the background
    std::vector<std::string> problems_;
    std::function<void(const std::string&)> reportProblem_;
};

// One line per MIDI output, numbered as --midi-out takes them after the
// built-in synthesizer, which is listed first as device 0.
std::vector<std::string> ListMidiOutputs();

}  // namespace velmora
