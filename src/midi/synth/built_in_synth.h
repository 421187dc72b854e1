// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "midi/midi_out.h"
#include "midi/sound_options.h"
#include "ports/beeper.h"

namespace velmora {

// What the built-in synthesizer is for: the notes, or only the wrong-answer
// beep while the notes go to an external MIDI port (no SoundFont is loaded).
enum class SynthUse { Notes, BeepOnly };

class SynthEngine;
class PulseStream;

// The audio buffering the built-in synthesizer asks `driver` for with these
// options, in milliseconds: period size x periods / sample rate, where
// our own PulseAudio output's one period is its whole buffer.
double ConfiguredLatencyMs(const SoundOptions& options, const std::string& driver);

// The audio outputs a user may choose among here, the usual ones first.
std::vector<std::string> AudioOutputChoices();

// The built-in synthesizer: MIDI output device 0 unless another port is chosen.
// Plays through the system's audio; the wrong-answer beep is mixed into the
// same stream. Never throws, never prints: what is wrong is in description().
//
// The SoundFont is loaded once per open(). While no audio output plays, a
// thread of its own tries to start one once a second. It notices at once
// when the sound server it plays through goes away, and within 2 s when the
// output stops asking for sound while something should sound (a server that
// hangs); then the notes sounding are released and that output is tried
// again until it is back.
class BuiltInSynth final : public MidiOut, public Beeper {
public:
    // Plays with the SoundFont, audio driver and synthesizer settings of
    // `options`; the MIDI output and log are not its business.
    explicit BuiltInSynth(SoundOptions options, SynthUse use = SynthUse::Notes);
    ~BuiltInSynth() override;

    bool open() override;
    void send(std::uint32_t message) override;
    // Also gives up an audio output being started, at once.
    void close() override;
    std::string description() const override;
    bool isWorking() const override;

    void Beep(int frequencyHz, int durationMs) override;

    // Any thread. `changed` runs on a thread of this output's own whenever it
    // has lost its audio output or got one; the previous function is not
    // called any more once this returns.
    void onChange(std::function<void()> changed);
    // What the user's settings asked for and could not have while another
    // output plays, or that the SoundFont changed on disk, in one line;
    // empty when there is nothing to say.
    std::string notice() const;
    // Any thread: the volume from now on (0..kLoudestVolume), on the notes
    // sounding too; the output is not opened again. A synth.gain setting
    // among the options wins: the volume then changes nothing.
    void setVolume(int percent);
    // FluidSynth's gain now; the default before open(). For measuring.
    double gain() const;
    // When the latest note-on reached the synthesizer. For measuring.
    std::chrono::steady_clock::time_point lastNoteOnApplied() const;

    // Audio drivers whose start or stop was given up and still runs, in the
    // whole process. Such a driver is inside a library that cannot be
    // interrupted: the process should end without tearing it down.
    static int DriversStillRunning();

private:
    struct Driver;
    class DriverCall;
    struct Started {
        std::unique_ptr<Driver> driver;
        std::string why;     // when there is no driver
        std::string notice;  // when another driver than the one asked for plays
    };

    // Starts the first audio output that works: `only` that one, or every
    // driver there is to try. A driver that does not answer is given up
    // after a while; a chosen one then gives way to the usual ones.
    Started startDriver(const std::string& only);
    void install(Started started);
    void watch(bool playing);
    // Since when the output has rendered nothing while something should sound.
    struct Stall {
        std::uint64_t renders = 0;
        std::chrono::steady_clock::time_point since{};
        bool sounding = false;
        bool flowing = false;  // it has rendered since it started
        bool asked = false;    // our own client asked the sound server meanwhile
        std::chrono::steady_clock::time_point askedAt{};
        std::uint64_t answers = 0;  // the server's answers before it was asked
    };
    // Watcher thread, while an output plays.
    bool stalled(Stall& stall) const;
    // Something was sent: the watcher looks at the output while it sounds.
    void nudgeWatcher();
    // No sound, for `why`: the output in use is stopped and the notes
    // released. Returns the output's name.
    std::string dropDriver(const std::string& why);
    void tellChange();
    // Hands the messages to the engine in order, on a thread of its own: a
    // program change reads the instrument's samples from disk.
    void deliver();
    void stopDelivering();
    std::string playingDescription(const std::string& driver) const;

    SoundOptions options_;
    SynthUse use_;
    // Kept from open() to close(), whatever plays it; longer by a driver given up.
    std::shared_ptr<SynthEngine> engine_;
    std::string soundFontName_;
    // open() and the watcher: the sound server took a connection and never answered.
    bool serverHangs_ = false;

    mutable std::mutex mutex_;  // guards the five below and engine_'s changes
    int volume_;                // as last set; the sender applies it
    std::unique_ptr<Driver> driver_;
    std::string description_;
    std::string notice_;
    bool working_ = false;

    std::thread watcher_;
    std::mutex watchMutex_;  // taken by the sound server's thread: nothing is waited for under it
    std::condition_variable watchWake_;
    bool stopping_ = false;  // by watchMutex_
    bool lost_ = false;      // by watchMutex_: the sound server's connection went
    bool nudged_ = false;    // by watchMutex_: something was sent since the watcher looked

    std::mutex attemptMutex_;
    PulseStream* attempt_ = nullptr;       // by attemptMutex_: being opened by the watcher
    DriverCall* driverAttempt_ = nullptr;  // by attemptMutex_: being started
    bool giveUp_ = false;                  // by attemptMutex_: close() has begun

    std::thread sender_;
    std::mutex queueMutex_;
    std::condition_variable queueWake_;
    std::deque<std::uint32_t> queue_;   // by queueMutex_
    bool sendersEnd_ = true;            // by queueMutex_: no sender runs
    bool gainDue_ = false;              // by queueMutex_: volume_ changed since the sender set it
    bool soundFontChangeTold_ = false;  // sender thread

    std::mutex changeMutex_;
    std::function<void()> onChange_;  // by changeMutex_
};

}  // namespace velmora
