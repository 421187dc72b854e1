// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <fluidsynth/types.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace velmora {

// FluidSynth runs its reverb and chorus over every block while they are on,
// whether or not a sounding voice sends anything to them: an idle or dry
// synthesizer would spend most of its time on silence. So each effect is
// switched on when a note that sends to it starts (or a controller makes a
// sounding one send), and off again once nothing sounds and the tails have
// died away; what is heard is the same.
//
// Threads: noteOn() and controlChange() from the thread that sends messages,
// switchOffWhileSilent() from the audio thread.
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

    bool reverbOn() const { return reverbOn_.load(std::memory_order_relaxed); }
    bool chorusOn() const { return chorusOn_.load(std::memory_order_relaxed); }

private:
    void followVoices();

    fluid_synth_t* synth_ = nullptr;
    bool reverbAllowed_ = false;
    bool chorusAllowed_ = false;
    std::mutex mutex_;                   // a note-on never races a switch-off
    std::atomic<bool> reverbOn_{false};  // written under mutex_
    std::atomic<bool> chorusOn_{false};  // written under mutex_
    std::vector<fluid_voice_t*> voices_;
};

}  // namespace velmora
