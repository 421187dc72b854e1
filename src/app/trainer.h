#pragma once

#include "app/panel.h"
#include "app/trainer_state.h"
#include "midi/midi_output.h"
#include "midi/playback.h"
#include "ports/beeper.h"
#include "ports/scheduler.h"

namespace velmora {

class MidiOut;

// The trainer: one state table and one panel, with the modules that work on
// them. It wires every control event to its handler in one place.
class Trainer {
public:
    Trainer(MidiOut& device, Scheduler& scheduler, Beeper& beeper);
    ~Trainer();
    Trainer(const Trainer&) = delete;
    Trainer& operator=(const Trainer&) = delete;

    // Start-up, run once the window and its controls exist.
    void Form_Load();
    // Shutdown, run once when the window closes. Nothing sounds or is sent after it.
    void Form_Unload();

    void FillDurationList();

    Panel& panel() { return panel_; }
    const TrainerState& state() const { return state_; }
    TrainerState& state() { return state_; }
    MidiOutput& midiOutput() { return midiOutput_; }
    Playback& playback() { return playback_; }
    Beeper& beeper() { return beeper_; }

private:
    void wireEvents();

    MidiOut& device_;
    Beeper& beeper_;
    Panel panel_;
    TrainerState state_;
    MidiOutput midiOutput_;
    Playback playback_;
    bool deviceOpen_ = false;
};

}  // namespace velmora
