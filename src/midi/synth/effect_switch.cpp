// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/synth/effect_switch.h"

#include <fluidsynth.h>

namespace velmora {

namespace {

// General MIDI's effect-depth controllers: reverb send and chorus send.
constexpr int kReverbSendControl = 91;
constexpr int kChorusSendControl = 93;

// Whether a voice sends anything to an effect: its instrument's own level,
// or the channel's controller through the SoundFont's default modulator.
bool Sends(fluid_synth_t* synth, fluid_voice_t* voice, int generator, int control) {
    if (fluid_voice_gen_get(voice, generator) > 0.0f) return true;
    int value = 0;
    fluid_synth_get_cc(synth, fluid_voice_get_channel(voice), control, &value);
    return value > 0;
}

}  // namespace

void EffectSwitch::attach(fluid_synth_t* synth, bool reverb, bool chorus) {
    const std::lock_guard lock(mutex_);
    synth_ = synth;
    reverbAllowed_ = reverb;
    chorusAllowed_ = chorus;
    voices_.assign(static_cast<std::size_t>(fluid_synth_get_polyphony(synth)), nullptr);
    fluid_synth_reverb_on(synth_, -1, 0);
    fluid_synth_chorus_on(synth_, -1, 0);
    reverbOn_ = false;
    chorusOn_ = false;
}

void EffectSwitch::noteOn(int channel, int key, int velocity) {
    const std::lock_guard lock(mutex_);
    if (synth_ == nullptr) return;
    // Started and checked under the lock: the audio thread cannot switch an
    // effect off between this note's voices appearing and being looked at.
    fluid_synth_noteon(synth_, channel, key, velocity);
    followVoices();
}

void EffectSwitch::controlChange(int channel, int control, int value) {
    const std::lock_guard lock(mutex_);
    if (synth_ == nullptr) return;
    fluid_synth_cc(synth_, channel, control, value);
    if (control == kReverbSendControl || control == kChorusSendControl) followVoices();
}

void EffectSwitch::followVoices() {
    const bool reverbWanted = reverbAllowed_ && !reverbOn_;
    const bool chorusWanted = chorusAllowed_ && !chorusOn_;
    if (!reverbWanted && !chorusWanted) return;
    fluid_synth_get_voicelist(synth_, voices_.data(), static_cast<int>(voices_.size()), -1);
    bool reverb = false;
    bool chorus = false;
    for (fluid_voice_t* voice : voices_) {
        if (voice == nullptr) break;
        reverb =
            reverb || (reverbWanted && Sends(synth_, voice, GEN_REVERBSEND, kReverbSendControl));
        chorus =
            chorus || (chorusWanted && Sends(synth_, voice, GEN_CHORUSSEND, kChorusSendControl));
    }
    if (reverb) {
        fluid_synth_reverb_on(synth_, -1, 1);
        reverbOn_ = true;
    }
    if (chorus) {
        fluid_synth_chorus_on(synth_, -1, 1);
        chorusOn_ = true;
    }
}

void EffectSwitch::switchOffWhileSilent() {
    const std::lock_guard lock(mutex_);
    if (synth_ == nullptr || (!reverbOn_ && !chorusOn_)) return;
    if (fluid_synth_get_active_voice_count(synth_) > 0) return;
    fluid_synth_reverb_on(synth_, -1, 0);
    fluid_synth_chorus_on(synth_, -1, 0);
    reverbOn_ = false;
    chorusOn_ = false;
}

}  // namespace velmora
