#include "midi/synth/effect_switch.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// General MIDI's effect-depth controllers: reverb send and chorus send.
constexpr int kReverbSendControl = 91;
constexpr int kChorusSendControl = 93;
// The SoundFont default modulator from an effect controller to its send, in
// tenths of a percent at full scale.
constexpr float kControllerToSend = 200.0f;

int Control(fluid_synth_t* synth, int channel, int control) {
    int value = 0;
    fluid_synth_get_cc(synth, channel, control, &value);
    return value;
}

// A voice's send to an effect, 0..1: its instrument's own level plus what
// the channel's controller adds.
float Send(fluid_synth_t* synth, fluid_voice_t* voice, int generator, int control) {
    const int channel = fluid_voice_get_channel(voice);
    const float tenthsOfPercent = fluid_voice_gen_get(voice, generator) +
                                  kControllerToSend * Control(synth, channel, control) / 128.0f;
    return std::clamp(tenthsOfPercent / 1000.0f, 0.0f, 1.0f);
}

// A voice's attenuation, in centibels, as a gain.
float Amplitude(float centibels) {
    return std::pow(10.0f, -centibels / 200.0f);
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
    chorusOn_ = false;
    reverbSend_.store(0.0f);
}

void EffectSwitch::noteOn(int channel, int key, int velocity) {
    const std::lock_guard lock(mutex_);
    if (synth_ == nullptr) return;
    // Started and checked under the lock: the audio thread cannot switch an
    // effect off between this note's voices appearing and being looked at.
    fluid_synth_noteon(synth_, channel, key, velocity);
    followVoices(channel, key);
}

void EffectSwitch::controlChange(int channel, int control, int value) {
    const std::lock_guard lock(mutex_);
    if (synth_ == nullptr) return;
    fluid_synth_cc(synth_, channel, control, value);
    if (control == kReverbSendControl || control == kChorusSendControl) followVoices(channel, -1);
}

void EffectSwitch::followVoices(int channel, int key) {
    fluid_synth_get_voicelist(synth_, voices_.data(), static_cast<int>(voices_.size()), -1);
    // Only looked for while the chorus could still be switched on.
    const bool chorusWanted = chorusAllowed_ && !chorusOn_;
    bool chorus = false;
    // A note's layers may send different amounts; the louder ones count more.
    float reverb = 0.0f;
    float weights = 0.0f;
    for (fluid_voice_t* voice : voices_) {
        if (voice == nullptr) break;
        chorus = chorus ||
                 (chorusWanted && Send(synth_, voice, GEN_CHORUSSEND, kChorusSendControl) > 0.0f);
        const bool followed = fluid_voice_get_channel(voice) == channel &&
                              (key < 0 || fluid_voice_get_key(voice) == key) &&
                              fluid_voice_is_on(voice);
        if (followed) {
            const float amplitude = Amplitude(fluid_voice_gen_get(voice, GEN_ATTENUATION));
            reverb += amplitude * Send(synth_, voice, GEN_REVERBSEND, kReverbSendControl);
            weights += amplitude;
        }
    }
    if (weights > 0.0f && reverbAllowed_) {
        reverbSend_.store(reverb / weights, std::memory_order_relaxed);
    }
    if (chorus) {
        fluid_synth_chorus_on(synth_, -1, 1);
        chorusOn_ = true;
    }
}

void EffectSwitch::switchOffWhileSilent() {
    const std::lock_guard lock(mutex_);
    if (synth_ == nullptr || !chorusOn_) return;
    if (fluid_synth_get_active_voice_count(synth_) > 0) return;
    fluid_synth_chorus_on(synth_, -1, 0);
    chorusOn_ = false;
}

}  // namespace velmora
