#include "midi/synth/effect_switch.h"

#include <fluidsynth.h>

namespace velmora {

namespace {

// General MIDI's effect-depth controllers: reverb send and chorus send.
constexpr int kReverbSendControl = 91;
constexpr int kChorusSendControl = 93;

int Control(fluid_synth_t* synth, int channel, int control) {
    int value = 0;
    fluid_synth_get_cc(synth, channel, control, &value);
    return value;
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
    switchOnWhatSoundingVoicesNeed();
}

void EffectSwitch::controlChange(int channel, int control, int value) {
    const std::lock_guard lock(mutex_);
    if (synth_ == nullptr) return;
    fluid_synth_cc(synth_, channel, control, value);
    if (control == kReverbSendControl || control == kChorusSendControl) {
        switchOnWhatSoundingVoicesNeed();
    }
}

void EffectSwitch::switchOnWhatSoundingVoicesNeed() {
    if ((reverbOn_ || !reverbAllowed_) && (chorusOn_ || !chorusAllowed_)) return;
    // A voice sends to an effect by its instrument's own send level, or by
    // its channel's effect controller through the default modulators.
    fluid_synth_get_voicelist(synth_, voices_.data(), static_cast<int>(voices_.size()), -1);
    bool reverb = false;
    bool chorus = false;
    for (fluid_voice_t* voice : voices_) {
        if (voice == nullptr) break;
        const int channel = fluid_voice_get_channel(voice);
        reverb = reverb || fluid_voice_gen_get(voice, GEN_REVERBSEND) > 0.0f ||
                 Control(synth_, channel, kReverbSendControl) > 0;
        chorus = chorus || fluid_voice_gen_get(voice, GEN_CHORUSSEND) > 0.0f ||
                 Control(synth_, channel, kChorusSendControl) > 0;
    }
    if (reverb && reverbAllowed_ && !reverbOn_) {
        fluid_synth_reverb_on(synth_, -1, 1);
        reverbOn_ = true;
    }
    if (chorus && chorusAllowed_ && !chorusOn_) {
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

bool EffectSwitch::reverbOn() const {
    const std::lock_guard lock(mutex_);
    return reverbOn_;
}

bool EffectSwitch::chorusOn() const {
    const std::lock_guard lock(mutex_);
    return chorusOn_;
}

}  // namespace velmora
