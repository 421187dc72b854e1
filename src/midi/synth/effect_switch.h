#pragma once

#include <fluidsynth/types.h>

#include <mutex>
#include <vector>

namespace velmora {

// FluidSynth runs its reverb and chorus over every block while they are on,
// whether or not a sounding voice sends anything to them: with the default
// piano the chorus only ever processes silence. Each effect is switched on
// when a note that sends to it starts, and both are switched off again once
// nothing sounds and their tails have died away. What is heard is the same.
//
// Threads: noteOn() and controlChange() from the thread that sends messages,
// switchOffWhileSilent() from the audio thread.
class EffectSwitch {
public:
    // Switches both effects off; `reverb` and `chorus` say whether each may be
    // used at all (the user may have turned one off).
    void attach(fluid_synth_t* synth, bool reverb, bool chorus);

    void noteOn(int channel, int key, int velocity);
    // Effect sends from controllers reach the voices already sounding.
    void controlChange(int channel, int control, int value);

    // Only while no voice is active; the caller knows the tails are quiet.
    void switchOffWhileSilent();

    bool reverbOn() const;
    bool chorusOn() const;

private:
    void switchOnWhatSoundingVoicesNeed();

    fluid_synth_t* synth_ = nullptr;
    bool reverbAllowed_ = false;
    bool chorusAllowed_ = false;
    mutable std::mutex mutex_;  // a note-on never races a switch-off
    bool reverbOn_ = false;
    bool chorusOn_ = false;
    std::vector<fluid_voice_t*> voices_;
};

}  // namespace velmora
