#pragma once

#include <fluidsynth/types.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace velmora {

// Where the voices' effect sends go. FluidSynth runs its chorus over every
// block while it is on, whether or not a sounding voice sends anything to it:
// with the default piano it only ever processes silence. So the chorus is
// switched on when a note that sends to it starts, and off again once nothing
// sounds and its tail has died away; what is heard is the same. FluidSynth's
// reverb stays off: the engine's own room takes its place, fed at the level
// the sounding voices send to the reverb.
//
// Threads: noteOn() and controlChange() from the thread that sends messages,
// switchOffWhileSilent() and reverbSend() from the audio thread.
class EffectSwitch {
public:
    // Switches FluidSynth's effects off; `reverb` and `chorus` say whether
    // each may be used at all (the user may have turned one off).
    void attach(fluid_synth_t* synth, bool reverb, bool chorus);

    void noteOn(int channel, int key, int velocity);
    // Effect sends from controllers reach the voices already sounding.
    void controlChange(int channel, int control, int value);

    // Only while no voice is active; the caller knows the tails are quiet.
    void switchOffWhileSilent();

    bool chorusOn() const { return chorusOn_.load(std::memory_order_relaxed); }
    // How much of the dry sound goes to the room, 0..1: what the latest
    // note's voices send to the reverb. One level for all channels: the
    // trainer plays one instrument at a time.
    float reverbSend() const { return reverbSend_.load(std::memory_order_relaxed); }

private:
    // `key` < 0: every sounding voice, else the voices of that note.
    void followVoices(int channel, int key);

    fluid_synth_t* synth_ = nullptr;
    bool reverbAllowed_ = false;
    bool chorusAllowed_ = false;
    std::mutex mutex_;                   // a note-on never races a switch-off
    std::atomic<bool> chorusOn_{false};  // written under mutex_
    std::atomic<float> reverbSend_{0.0f};
    std::vector<fluid_voice_t*> voices_;
};

}  // namespace velmora
