// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <fluidsynth/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "midi/beep_tone.h"
#include "midi/limiter.h"
#include "midi/synth/effect_switch.h"
#include "midi/synth/held_soundfont.h"

namespace velmora {

// FluidSynth with a General MIDI SoundFont, rendering on demand: an audio
// driver's callback calls render(), tests call it directly. The beep is
// mixed into the same stream. Errors come back as one line of text.
//
// Threads, as BuiltInSynth uses it: applySetting(), start() and
// loadSoundFont() on the thread that opens the output, before any other
// thread touches the engine. Then:
// - send() on the output's sender thread, one message at a time in order
//   (a program change may read samples from disk for a while); also on its
//   watcher thread, all-sound-off on every channel once the sound server
//   has gone, maybe while the sender is still in a send() it began before;
// - beep() on whichever thread beeps: the GUI thread, in the program;
// - forgetBeep() on the watcher thread, once the lost output has stopped;
// - render() on the audio thread: FluidSynth's driver thread, or the
//   mainloop thread of our own PulseAudio client;
// - waitWhileSilent() on FluidSynth's driver thread before each render()
//   (our own client corks its stream instead);
// - stopWaiting() from close(), on the thread that closes the output;
//   wakeAudio() wherever a driver is cut off from the engine;
// - renders() and sounding() on the watcher thread, which notices an output
//   that has stopped asking for sound.
class SynthEngine {
public:
    static constexpr double kDefaultSampleRate = 48000.0;
    static constexpr int kDefaultPolyphony = 64;
    // Louder than FluidSynth's own default, so a single note is heard clearly;
    // the limiter keeps the big chords of loud instruments from clipping.
    static constexpr double kDefaultGain = 0.5;

    SynthEngine();
    ~SynthEngine();
    SynthEngine(const SynthEngine&) = delete;
    SynthEngine& operator=(const SynthEngine&) = delete;

    // One FluidSynth setting ("synth.gain", "0.5"), typed as FluidSynth
    // declares it. Before start(). Empty when applied, else what is wrong.
    std::string applySetting(const std::string& name, const std::string& value);
    // FluidSynth's gain, clamped to what it allows. Any thread: before
    // start() as the synth.gain setting, after it on the notes sounding too,
    // without a gap. The beep follows from its next start.
    void setGain(double gain);
    // The gain in use, as FluidSynth reports it once started.
    double gain() const;
    // Creates the synthesizer from the settings. Empty on success.
    std::string start();
    // Loads the SoundFont, which should have passed CheckSoundFontFile. Empty
    // on success. Only the instruments in use are read into memory, each as
    // it is chosen, from the file as it was opened here.
    std::string loadSoundFont(const std::string& path);
    // The SoundFont file was changed on disk after it was loaded: instruments
    // chosen since then are not read from it.
    bool soundFontChanged() const { return soundFontChanged_.load(); }

    bool started() const { return synth_ != nullptr; }
    bool hasSoundFont() const { return soundFontLoaded_; }
    double sampleRate() const { return sampleRate_; }

    // A short MIDI message as MidiOut::send takes it; dropped before start().
    void send(std::uint32_t message);
    // Any thread; heard from the next render() on.
    void beep(int frequencyHz, int durationMs);
    // Only while no audio thread renders: forgets the beep asked for or
    // sounding, as all-sound-off forgets the notes.
    void forgetBeep();
    // Overwrites both channels with the next frames. Silence before start().
    void render(float* left, float* right, int frames);

    // Audio thread, after render(): whether that was silence because nothing
    // sounds at all (no voice, no tail, no beep). Plain zeros do not say so:
    // many instruments' samples begin with a few milliseconds of silence.
    bool resting() const { return resting_; }

    // Any thread: how many blocks have been rendered, and whether blocks
    // should be coming (a message or beep since the last one, or that one
    // still sounded). An audio output that has stalled renders none.
    std::uint64_t renders() const { return renders_; }
    bool sounding() const { return due_ || !resting_; }

    // Audio thread, before render(): while nothing sounds, sleeps until a
    // message or beep arrives (or `limit` passes), so that an idle trainer
    // hands the sound server no stream of silence. The output then simply
    // runs dry, and starts again with the next block.
    void waitWhileSilent(std::chrono::milliseconds limit);
    // Any thread: ends every wait, now and later; before the driver stops.
    void stopWaiting();
    // Any thread: ends the wait under way, or else the next one.
    void wakeAudio();

    // For creating an audio driver; null before construction succeeded.
    fluid_settings_t* settings() const { return settings_; }
    // When the latest note-on was given to FluidSynth. For measuring.
    std::chrono::steady_clock::time_point lastNoteOn() const {
        return std::chrono::steady_clock::time_point(
            std::chrono::steady_clock::duration(lastNoteOn_.load()));
    }
    // Whether the reverb and the chorus run at the moment.
    const EffectSwitch& effects() const { return effects_; }

private:
    void programChange(int channel, int program);
    // Renders the voices and effects; no limiter, no beep. True when nothing
    // sounded, so nothing was rendered.
    bool renderSynth(float* left, float* right, int frames);
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    double sampleRate_ = kDefaultSampleRate;
    bool soundFontLoaded_ = false;
    HeldSoundFont soundFont_;
    std::atomic<bool> soundFontChanged_{false};
    std::atomic<std::chrono::steady_clock::rep> lastNoteOn_{0};
    EffectSwitch effects_;
    BeepRequests beepRequests_;
    std::optional<BeepTone> beepTone_;  // audio thread only, once started
    std::atomic<double> gain_{kDefaultGain};
    double beepGain_ = kDefaultGain;  // audio thread: the gain beepTone_ was made for
    std::optional<Limiter> limiter_;  // audio thread only, once started
    // Audio thread: how long nothing has sounded, reverb and chorus tails included.
    std::int64_t quietFrames_ = 0;
    std::atomic<bool> resting_{false};  // written by the audio thread
    std::atomic<bool> due_{false};
    std::atomic<std::uint64_t> renders_{0};
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool woken_ = false;     // by wakeMutex_: something was sent since the last wait
    bool stopping_ = false;  // by wakeMutex_
};

}  // namespace velmora
