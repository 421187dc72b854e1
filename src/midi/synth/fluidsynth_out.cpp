#include "midi/synth/fluidsynth_out.h"

#include <fluidsynth.h>

#include <algorithm>

#include "midi/soundfont_locator.h"
#include "midi/synth/synth_engine.h"
#include "midi/synth/synth_log.h"

namespace velmora {

namespace {

// Tried after FluidSynth's own choice. Never jack unless asked: it may try to
// start a server of its own. Never file: it writes a .wav into the current folder.
constexpr const char* kFallbackDrivers[] = {"pulseaudio", "pipewire", "sdl2"};

// About 10.7 ms of buffering at 48 kHz: well under what a listener notices
// between a click and the notes, and enough to ride out a busy desktop
// without crackles. ALSA takes it as 8 periods of 64 frames (one synthesizer
// block each); PulseAudio, PipeWire and SDL only take the period size.
constexpr int kAlsaPeriodSize = 64;
constexpr int kAlsaPeriods = 8;
constexpr int kServerPeriodSize = 512;

int RenderCallback(void* data, int frames, int fxCount, float* fx[], int outCount, float* out[]) {
    auto* engine = static_cast<SynthEngine*>(data);
    for (int i = 0; i < fxCount; ++i) std::fill(fx[i], fx[i] + frames, 0.0f);
    if (outCount >= 2) {
        engine->render(out[0], out[1], frames);
        for (int i = 2; i < outCount; ++i) std::fill(out[i], out[i] + frames, 0.0f);
    } else if (outCount == 1) {
        std::fill(out[0], out[0] + frames, 0.0f);
    }
    return FLUID_OK;
}

bool UserSet(const SynthConfig& config, const std::string& name) {
    return std::any_of(config.settings.begin(), config.settings.end(),
                       [&name](const auto& setting) { return setting.first == name; });
}

void CollectOption(void* data, const char*, const char* option) {
    static_cast<std::vector<std::string>*>(data)->emplace_back(option);
}

std::vector<std::string> AvailableDrivers(fluid_settings_t* settings) {
    std::vector<std::string> available;
    fluid_settings_foreach_option(settings, "audio.driver", &available, CollectOption);
    return available;
}

bool Contains(const std::vector<std::string>& words, const std::string& word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

std::vector<std::string> DriversToTry(const SynthConfig& config, fluid_settings_t* settings) {
    if (config.audioDriver) return {*config.audioDriver};
    std::string chosen;
    for (const auto& [name, value] : config.settings) {
        if (name == "audio.driver") chosen = value;
    }
    if (!chosen.empty()) return {chosen};

    std::vector<std::string> candidates;
    char* fluidDefault = nullptr;
    if (fluid_settings_getstr_default(settings, "audio.driver", &fluidDefault) == FLUID_OK &&
        fluidDefault != nullptr && *fluidDefault != '\0') {
        candidates.emplace_back(fluidDefault);
    } else if (char* current = nullptr;
               fluid_settings_dupstr(settings, "audio.driver", &current) == FLUID_OK &&
               current != nullptr) {
        // Some builds register an empty default and pick the driver afterwards.
        candidates.emplace_back(current);
        fluid_free(current);
    }
    candidates.insert(candidates.end(), std::begin(kFallbackDrivers), std::end(kFallbackDrivers));

    const std::vector<std::string> available = AvailableDrivers(settings);
    std::vector<std::string> drivers;
    for (const std::string& name : candidates) {
        if (Contains(available, name) && !Contains(drivers, name) && name != "jack" &&
            name != "file") {
            drivers.push_back(name);
        }
    }
    return drivers;
}

void ApplyLatency(const SynthConfig& config, fluid_settings_t* settings,
                  const std::string& driver) {
    const bool alsaLike = driver == "alsa" || driver == "oss";
    if (!UserSet(config, "audio.period-size")) {
        fluid_settings_setint(settings, "audio.period-size",
                              alsaLike ? kAlsaPeriodSize : kServerPeriodSize);
    }
    if (!UserSet(config, "audio.periods")) {
        fluid_settings_setint(settings, "audio.periods", kAlsaPeriods);
    }
    // Without it PulseAudio's buffer is held to one period, which underruns.
    if (driver == "pulseaudio" && !UserSet(config, "audio.pulseaudio.adjust-latency")) {
        fluid_settings_setint(settings, "audio.pulseaudio.adjust-latency", 1);
    }
}

std::string Join(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : ", ") + word;
    return text;
}

}  // namespace

struct FluidSynthOut::Driver {
    fluid_audio_driver_t* handle = nullptr;
    std::string name;
    ~Driver() {
        if (handle != nullptr) delete_fluid_audio_driver(handle);
    }
};

FluidSynthOut::FluidSynthOut(SynthConfig config) : config_(std::move(config)) {}

FluidSynthOut::~FluidSynthOut() {
    close();
}

bool FluidSynthOut::open() {
    close();
    auto fail = [this](const std::string& why) {
        close();
        description_ = "No sound: " + why;
        return false;
    };

    SoundFontLookup soundFont;
    if (config_.loadSoundFont) {
        soundFont = LocateSoundFont(config_.soundFont);
        if (!soundFont.error.empty()) return fail(soundFont.error);
    }

    engine_ = std::make_unique<SynthEngine>();
    for (const auto& [name, value] : config_.settings) {
        if (std::string problem = engine_->applySetting(name, value); !problem.empty()) {
            return fail(problem);
        }
    }
    if (std::string problem = engine_->start(); !problem.empty()) return fail(problem);
    if (config_.loadSoundFont) {
        if (std::string problem = engine_->loadSoundFont(soundFont.path); !problem.empty()) {
            return fail(problem);
        }
    }

    fluid_settings_t* settings = engine_->settings();
    const std::vector<std::string> drivers = DriversToTry(config_, settings);
    const std::vector<std::string> available = AvailableDrivers(settings);
    for (const std::string& name : drivers) {
        if (!Contains(available, name)) {
            return fail("unknown audio driver '" + name + "' (there are: " + Join(available) + ")");
        }
    }
    std::string firstReason;
    for (const std::string& name : drivers) {
        fluid_settings_setstr(settings, "audio.driver", name.c_str());
        ApplyLatency(config_, settings, name);
        ClearSynthErrors();
        if (fluid_audio_driver_t* handle =
                new_fluid_audio_driver2(settings, RenderCallback, engine_.get())) {
            driver_ = std::make_unique<Driver>();
            driver_->handle = handle;
            driver_->name = name;
            break;
        }
        if (firstReason.empty()) firstReason = LastSynthError();
    }
    if (!driver_) {
        std::string why;
        if (drivers.empty()) {
            why = "this FluidSynth has no audio driver to use";
        } else if (drivers.size() == 1) {
            why = "audio driver '" + drivers.front() + "' could not be started";
            if (!firstReason.empty()) why += ": " + firstReason;
        } else {
            why = "no audio output could be opened (tried " + Join(drivers) + ")";
            if (!firstReason.empty()) why += "; " + drivers.front() + ": " + firstReason;
        }
        // Keep the engine: it renders fine, it just has nowhere to play.
        description_ = "No sound: " + why;
        working_ = false;
        return false;
    }

    working_ = true;
    description_ =
        config_.loadSoundFont
            ? "Built-in synthesizer · " + SoundFontName(soundFont.path) + " (" + driver_->name + ")"
            : "Beep output (" + driver_->name + ")";
    return true;
}

void FluidSynthOut::send(std::uint32_t message) {
    if (working_ && engine_->hasSoundFont()) engine_->send(message);
}

void FluidSynthOut::close() {
    working_ = false;
    driver_.reset();  // stops the audio thread before the engine goes
    engine_.reset();
}

std::string FluidSynthOut::description() const {
    return description_;
}

bool FluidSynthOut::isWorking() const {
    return working_;
}

void FluidSynthOut::Beep(int frequencyHz, int durationMs) {
    if (working_) engine_->beep(frequencyHz, durationMs);
}

}  // namespace velmora
