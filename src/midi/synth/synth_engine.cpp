// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/synth/synth_engine.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "midi/messages.h"
#include "midi/synth/synth_log.h"
#include "text/printable.h"

namespace velmora {

namespace {

constexpr double kFluidSynthGain = 0.2;  // FluidSynth's own default: too quiet for most fonts
constexpr double kMostGain = 10.0;       // FluidSynth's limit

// Below the last bit of 16-bit audio (-100 dBFS).
constexpr float kInaudible = 1e-5f;
// Longer than the longest delay line of FluidSynth's reverb and chorus, so
// that no echo is still on its way when rendering stops.
constexpr double kQuietBeforeSkipping = 0.5;

float Peak(const float* samples, int frames) {
    float peak = 0.0f;
    for (int i = 0; i < frames; ++i) peak = std::max(peak, std::fabs(samples[i]));
    return peak;
}

std::string WithReason(std::string message) {
    const std::string reason = LastSynthError();
    if (!reason.empty()) message += ": " + reason;
    return message;
}

// std::from_chars reads numbers the same in every locale ("0.5", never
// "0,5") but takes no leading '+', which people write.
std::string_view WithoutPlus(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    return text;
}

// Infinite when the number is too large for a double; empty when the text
// is not a number.
std::optional<double> ParseNumber(std::string_view text) {
    text = WithoutPlus(text);
    const char* end = text.data() + text.size();
    double value = 0.0;
    const auto [rest, error] = std::from_chars(text.data(), end, value);
    if (rest != end || (error != std::errc() && error != std::errc::result_out_of_range)) {
        return std::nullopt;
    }
    if (error == std::errc()) return value;
    // Too small or too large for a double; a long double says which. A tiny
    // number (1e-400) is as good as zero.
    long double wide = 0.0L;
    if (std::from_chars(text.data(), end, wide).ec == std::errc() && std::fabs(wide) < 1.0L) {
        return static_cast<double>(wide);
    }
    return std::numeric_limits<double>::infinity();
}

// Wider than an int, so that a whole number too large for one is refused
// with the setting's range.
std::optional<long long> ParseInteger(std::string_view text) {
    // Switches read naturally as words on a command line.
    if (text == "yes" || text == "true" || text == "on") return 1;
    if (text == "no" || text == "false" || text == "off") return 0;
    text = WithoutPlus(text);
    const char* end = text.data() + text.size();
    long long value = 0;
    const auto [rest, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || rest != end) return std::nullopt;
    return value;
}

// The beep follows the music's volume: a louder synthesizer, a louder beep.
float BeepLevel(double gain) {
    return static_cast<float>(BeepTone::kLevel * gain / kFluidSynthGain);
}

template <typename T>
std::string Text(T value) {
    std::array<char, 32> text{};
    const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() ? std::string(text.data(), end) : std::string("?");
}

template <typename T>
std::string Range(T low, T high) {
    return " (allowed: " + Text(low) + " to " + Text(high) + ")";
}

}  // namespace

SynthEngine::SynthEngine() {
    SilenceSoundLibraries();
    settings_ = new_fluid_settings();
    if (settings_ == nullptr) return;
    fluid_settings_setnum(settings_, "synth.sample-rate", kDefaultSampleRate);
    // A question has at most a few dozen notes; the default 256 voices only cost memory.
    fluid_settings_setint(settings_, "synth.polyphony", kDefaultPolyphony);
    fluid_settings_setnum(settings_, "synth.gain", kDefaultGain);
    // A rich SoundFont holds well over 100 MB of samples, of which the
    // trainer plays one instrument at a time.
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
}

SynthEngine::~SynthEngine() {
    if (synth_ != nullptr) delete_fluid_synth(synth_);
    if (settings_ != nullptr) delete_fluid_settings(settings_);
}

std::string SynthEngine::applySetting(const std::string& name, const std::string& value) {
    if (settings_ == nullptr) return "the synthesizer could not be created";
    if (synth_ != nullptr) return "setting " + Quoted(name) + " comes too late";
    const std::string bad = "bad value " + Quoted(value) + " for setting " + Quoted(name);
    ClearSynthErrors();
    int result = FLUID_FAILED;
    switch (fluid_settings_get_type(settings_, name.c_str())) {
        case FLUID_NUM_TYPE: {
            const std::optional<double> number = ParseNumber(value);
            if (!number) return bad + " (a number is expected)";
            // FluidSynth's range check lets NaN through, which would reach the
            // audio thread: a crash at synth.sample-rate=nan, full-scale noise
            // at synth.gain=nan.
            if (std::isfinite(*number)) {
                result = fluid_settings_setnum(settings_, name.c_str(), *number);
            }
            break;
        }
        case FLUID_INT_TYPE: {
            const std::optional<long long> integer = ParseInteger(value);
            if (!integer) return bad + " (a whole number is expected)";
            if (*integer >= std::numeric_limits<int>::min() &&
                *integer <= std::numeric_limits<int>::max()) {
                result = fluid_settings_setint(settings_, name.c_str(), static_cast<int>(*integer));
            }
            break;
        }
        case FLUID_STR_TYPE:
            result = fluid_settings_setstr(settings_, name.c_str(), value.c_str());
            break;
        default:
            return "unknown synthesizer setting " + Quoted(name);
    }
    if (result != FLUID_OK) {
        double low = 0, high = 0;
        int lowInt = 0, highInt = 0;
        if (fluid_settings_getnum_range(settings_, name.c_str(), &low, &high) == FLUID_OK) {
            return bad + Range(low, high);
        }
        if (fluid_settings_getint_range(settings_, name.c_str(), &lowInt, &highInt) == FLUID_OK) {
            return bad + Range(lowInt, highInt);
        }
        return WithReason(bad);
    }
    return {};
}

std::string SynthEngine::start() {
    if (settings_ == nullptr) return "the synthesizer could not be created";
    if (synth_ != nullptr) return {};
    ClearSynthErrors();
    synth_ = new_fluid_synth(settings_);
    if (synth_ == nullptr) return WithReason("the synthesizer could not be created");
    if (std::string problem = HeldSoundFont::AddLoader(synth_, settings_); !problem.empty()) {
        return problem;
    }
    fluid_settings_getnum(settings_, "synth.sample-rate", &sampleRate_);
    double gain = kDefaultGain;
    fluid_settings_getnum(settings_, "synth.gain", &gain);
    gain_ = gain;
    beepGain_ = gain;
    beepTone_.emplace(sampleRate_, BeepLevel(gain));
    limiter_.emplace(sampleRate_);
    int reverb = 1;
    int chorus = 1;
    fluid_settings_getint(settings_, "synth.reverb.active", &reverb);
    fluid_settings_getint(settings_, "synth.chorus.active", &chorus);
    effects_.attach(synth_, reverb != 0, chorus != 0);
    return {};
}

void SynthEngine::setGain(double gain) {
    if (settings_ == nullptr || !std::isfinite(gain)) return;
    gain = std::clamp(gain, 0.0, kMostGain);
    if (synth_ == nullptr) {
        fluid_settings_setnum(settings_, "synth.gain", gain);
    } else {
        // FluidSynth applies it to the voices sounding, under its own lock.
        fluid_synth_set_gain(synth_, static_cast<float>(gain));
    }
    gain_ = gain;
}

double SynthEngine::gain() const {
    if (synth_ != nullptr) return fluid_synth_get_gain(synth_);
    double gain = kDefaultGain;
    if (settings_ != nullptr) fluid_settings_getnum(settings_, "synth.gain", &gain);
    return gain;
}

std::string SynthEngine::loadSoundFont(const std::string& path) {
    if (synth_ == nullptr) return "the synthesizer is not running";
    if (std::string problem = soundFont_.open(path); !problem.empty()) return problem;
    ClearSynthErrors();
    if (fluid_synth_sfload(synth_, soundFont_.name().c_str(), 1) == FLUID_FAILED) {
        // FluidSynth's last word is only that this file failed, naming it again.
        std::string message = "SoundFont " + Quoted(path) + " could not be loaded";
        const std::string cause = FirstSynthError();
        if (!cause.empty() && cause.find(Printable(path)) == std::string::npos) {
            message += ": " + cause;
        }
        return message;
    }
    soundFontLoaded_ = true;
    return {};
}

void SynthEngine::send(std::uint32_t message) {
    if (synth_ == nullptr) return;
    const int status = StatusOf(message);
    const int channel = status & 0x0F;
    const int data1 = Data1Of(message) & 0x7F;
    const int data2 = Data2Of(message) & 0x7F;
    switch (status & 0xF0) {
        case kNoteOffStatus:
            fluid_synth_noteoff(synth_, channel, data1);
            break;
        case kNoteOnStatus:
            if (data2 == 0) {
                fluid_synth_noteoff(synth_, channel, data1);
            } else {
                effects_.noteOn(channel, data1, data2);
                lastNoteOn_ = std::chrono::steady_clock::now().time_since_epoch().count();
            }
            break;
        case 0xA0:
            fluid_synth_key_pressure(synth_, channel, data1, data2);
            break;
        case 0xB0:
            effects_.controlChange(channel, data1, data2);
            break;
        case kProgramChangeStatus:
            programChange(channel, data1);
            break;
        case 0xD0:
            fluid_synth_channel_pressure(synth_, channel, data1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(synth_, channel, data1 | (data2 << 7));
            break;
        default:
            return;  // system messages mean nothing to the synthesizer
    }
    due_ = true;
    wakeAudio();
}

// With samples loaded on demand, this reads the instrument from the file.
// Once the file has changed on disk it is not read again: the channel keeps
// the instrument it has, or, changed during the read, plays nothing rather
// than samples half read.
void SynthEngine::programChange(int channel, int program) {
    if (soundFont_.changed()) {
        soundFontChanged_ = true;
        return;
    }
    fluid_synth_program_change(synth_, channel, program);
    if (soundFont_.changed()) {
        fluid_synth_unset_program(synth_, channel);
        soundFontChanged_ = true;
    }
}

void SynthEngine::beep(int frequencyHz, int durationMs) {
    beepRequests_.post(frequencyHz, durationMs);
    due_ = true;
    wakeAudio();
}

void SynthEngine::forgetBeep() {
    int frequencyHz = 0;
    int durationMs = 0;
    beepRequests_.take(frequencyHz, durationMs);
    if (beepTone_) beepTone_->stop();
}

void SynthEngine::wakeAudio() {
    {
        const std::lock_guard lock(wakeMutex_);
        woken_ = true;
    }
    wake_.notify_one();
}

void SynthEngine::waitWhileSilent(std::chrono::milliseconds limit) {
    if (synth_ == nullptr || fluid_synth_get_active_voice_count(synth_) > 0 ||
        quietFrames_ < kQuietBeforeSkipping * sampleRate_ || beepTone_->active()) {
        return;
    }
    std::unique_lock lock(wakeMutex_);
    wake_.wait_for(lock, limit, [this] { return woken_ || stopping_; });
    woken_ = false;
}

void SynthEngine::stopWaiting() {
    {
        const std::lock_guard lock(wakeMutex_);
        stopping_ = true;
    }
    wake_.notify_all();
}

void SynthEngine::render(float* left, float* right, int frames) {
    if (frames <= 0) return;
    // Before rendering: what comes in meanwhile is due for the next block.
    due_ = false;
    ++renders_;
    if (synth_ == nullptr) {
        std::fill(left, left + frames, 0.0f);
        std::fill(right, right + frames, 0.0f);
        return;
    }
    const bool rested = renderSynth(left, right, frames);
    int frequencyHz = 0;
    int durationMs = 0;
    if (beepRequests_.take(frequencyHz, durationMs)) {
        // A beep under way keeps its level: only a new one is made anew.
        if (const double gain = gain_; gain != beepGain_) {
            beepGain_ = gain;
            beepTone_.emplace(sampleRate_, BeepLevel(gain));
        }
        beepTone_->start(frequencyHz, durationMs);
    }
    const bool beeping = beepTone_->active();
    if (beeping) beepTone_->mixInto(left, right, frames);
    limiter_->process(left, right, frames);
    resting_ = rested && !beeping;
}

bool SynthEngine::renderSynth(float* left, float* right, int frames) {
    // While nothing sounds, FluidSynth would still run its effects over
    // silence on every block: most of the process's CPU time when idle.
    // Once no voice has played and the output has stayed below hearing for
    // longer than the effects' delay lines, the block is silence. A note-on
    // makes a voice at once, so the next note is rendered without delay.
    const bool voices = fluid_synth_get_active_voice_count(synth_) > 0;
    if (!voices && quietFrames_ >= kQuietBeforeSkipping * sampleRate_) {
        std::fill(left, left + frames, 0.0f);
        std::fill(right, right + frames, 0.0f);
        effects_.switchOffWhileSilent();
        return true;
    }
    // The reverb and chorus are mixed in.
    fluid_synth_write_float(synth_, frames, left, 0, 1, right, 0, 1);
    const bool quiet =
        !voices && Peak(left, frames) < kInaudible && Peak(right, frames) < kInaudible;
    quietFrames_ = quiet ? quietFrames_ + frames : 0;
    return false;
}

}  // namespace velmora
