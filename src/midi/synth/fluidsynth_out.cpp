#include "midi/synth/fluidsynth_out.h"

#include <fluidsynth.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "midi/soundfont_locator.h"
#include "midi/synth/pulse_output.h"
#include "midi/synth/synth_engine.h"
#include "midi/synth/synth_log.h"
#include "text/printable.h"

namespace velmora {

namespace {

// Tried after FluidSynth's own choice. Never jack unless asked: it may try to
// start a server of its own. Never file: it writes a .wav into the current folder.
constexpr const char* kFallbackDrivers[] = {"pulseaudio", "pipewire", "sdl2"};

// A sound server gets our own client of it (PulseOutput): 256 frames in all,
// 5.3 ms at 48 kHz, asked for in halves and rendered right in the client
// library's callback. FluidSynth's own drivers for the servers hand every
// period from a blocking thread to the server's, which at periods that small
// costs several percent of a core; they stay at one period of 512 frames
// (10.7 ms) and serve only where ours cannot connect.
// ALSA: about 5.3 ms too, 4 periods of 64 frames (one synthesizer block
// each), so a late wake-up of the audio thread still finds 3 periods queued.
// All are well under FluidSynth's own 23 ms.
constexpr int kAlsaPeriodSize = 64;
constexpr int kAlsaPeriods = 4;
constexpr int kServerPeriodSize = 512;

// How long the audio thread sleeps at most while nothing sounds.
constexpr std::chrono::milliseconds kIdleWait{1000};

int RenderCallback(void* data, int frames, int fxCount, float* fx[], int outCount, float* out[]) {
    auto* engine = static_cast<SynthEngine*>(data);
    engine->waitWhileSilent(kIdleWait);
    for (int i = 0; i < fxCount; ++i) std::fill(fx[i], fx[i] + frames, 0.0f);
    if (outCount >= 2) {
        engine->render(out[0], out[1], frames);
        for (int i = 2; i < outCount; ++i) std::fill(out[i], out[i] + frames, 0.0f);
    } else if (outCount == 1) {
        std::fill(out[0], out[0] + frames, 0.0f);
    }
    return FLUID_OK;
}

// A PulseAudio server (or PipeWire's stand-in for one) is there to connect
// to, without starting one.
bool SoundServerRunning() {
    if (const char* server = std::getenv("PULSE_SERVER"); server != nullptr && *server != '\0') {
        return true;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') return false;
    const std::string socket = std::string(runtime) + "/pulse/native";
    return ::access(socket.c_str(), F_OK) == 0;
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

// The driver the user asked for, by option or setting; empty when none.
std::string ChosenDriver(const SynthConfig& config) {
    if (config.audioDriver) return *config.audioDriver;
    std::string chosen;
    for (const auto& [name, value] : config.settings) {
        if (name == "audio.driver") chosen = value;
    }
    return chosen;
}

// Our own PulseAudio output goes before FluidSynth's drivers when the user
// asked for "pulseaudio", or asked for nothing and a sound server runs.
bool TryPulseOutput(const SynthConfig& config) {
    const std::string chosen = ChosenDriver(config);
    return chosen.empty() ? SoundServerRunning() : chosen == "pulseaudio";
}

std::vector<std::string> DriversToTry(const SynthConfig& config, fluid_settings_t* settings) {
    if (std::string chosen = ChosenDriver(config); !chosen.empty()) return {chosen};

    std::vector<std::string> candidates;
    // Where a sound server runs, FluidSynth's default ALSA output reaches it
    // through ALSA's own plugin, which costs several percent of a core in
    // small periods; FluidSynth's driver for the server costs far less.
    if (SoundServerRunning()) candidates.emplace_back("pulseaudio");
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
    // The server keeps time; a real-time client thread only wakes for every
    // small request at once, which doubled the CPU time of playing.
    if (driver == "pulseaudio" && !UserSet(config, "audio.realtime-prio")) {
        fluid_settings_setint(settings, "audio.realtime-prio", 0);
    }
}

// FluidSynth's string setting, or empty where it means "the default".
std::string ServerSetting(fluid_settings_t* settings, const char* name) {
    std::string value;
    if (char* text = nullptr; fluid_settings_dupstr(settings, name, &text) == FLUID_OK && text) {
        value = text;
        fluid_free(text);
    }
    return value == "default" ? std::string() : value;
}

// The user's audio.period-size is the whole buffer of our PulseAudio output.
int PulseBufferFrames(const SynthConfig& config, fluid_settings_t* settings) {
    int frames = PulseOutput::kDefaultBufferFrames;
    if (UserSet(config, "audio.period-size")) {
        fluid_settings_getint(settings, "audio.period-size", &frames);
    }
    return frames;
}

PulseOutput::Options PulseOptions(const SynthConfig& config, fluid_settings_t* settings) {
    PulseOutput::Options options;
    options.server = ServerSetting(settings, "audio.pulseaudio.server");
    options.device = ServerSetting(settings, "audio.pulseaudio.device");
    options.role = ServerSetting(settings, "audio.pulseaudio.media-role");
    options.bufferFrames = PulseBufferFrames(config, settings);
    return options;
}

std::string Join(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : ", ") + word;
    return text;
}

}  // namespace

double ConfiguredLatencyMs(const SynthConfig& config, const std::string& driver) {
    SynthEngine engine;
    for (const auto& [name, value] : config.settings) engine.applySetting(name, value);
    fluid_settings_t* settings = engine.settings();
    if (settings == nullptr) return 0.0;
    double sampleRate = 0.0;
    fluid_settings_getnum(settings, "synth.sample-rate", &sampleRate);
    if (sampleRate <= 0) return 0.0;
    if (driver == "pulseaudio") return 1000.0 * PulseBufferFrames(config, settings) / sampleRate;
    ApplyLatency(config, settings, driver);
    int periodSize = 0;
    int periods = 0;
    fluid_settings_getint(settings, "audio.period-size", &periodSize);
    fluid_settings_getint(settings, "audio.periods", &periods);
    // FluidSynth's drivers for the sound servers buffer one period in all.
    const bool alsaLike = driver == "alsa" || driver == "oss";
    if (!alsaLike) periods = 1;
    return 1000.0 * periodSize * periods / sampleRate;
}

// Either our own PulseAudio output or one of FluidSynth's drivers.
struct FluidSynthOut::Driver {
    std::unique_ptr<PulseOutput> pulse;
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
            return fail("unknown audio driver " + Quoted(name) + " (there are: " + Join(available) +
                        ")");
        }
    }
    std::string firstReason;
    bool serverHangs = false;
    if (TryPulseOutput(config_)) {
        auto pulse = std::make_unique<PulseOutput>(*engine_);
        firstReason = pulse->open(PulseOptions(config_, settings));
        serverHangs = pulse->unanswered();
        if (firstReason.empty()) {
            driver_ = std::make_unique<Driver>();
            driver_->pulse = std::move(pulse);
            driver_->name = "pulseaudio";
        }
    }
    for (const std::string& name : drivers) {
        if (driver_) break;
        // FluidSynth's driver would wait for that server for ever.
        if (name == "pulseaudio" && serverHangs) continue;
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
            why = "audio driver " + Quoted(drivers.front()) + " could not be started";
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
    if (working_ && engine_->hasSoundFont()) {
        engine_->send(message);
        if (driver_->pulse) driver_->pulse->wake();
    }
}

void FluidSynthOut::setNoteLength(std::chrono::nanoseconds length) {
    if (working_ && engine_->hasSoundFont()) engine_->setNoteLength(length);
}

void FluidSynthOut::close() {
    working_ = false;
    if (engine_) engine_->stopWaiting();
    driver_.reset();  // stops the audio thread before the engine goes
    engine_.reset();
}

bool FluidSynthOut::serverLost() const {
    return driver_ && driver_->pulse && driver_->pulse->lost();
}

std::string FluidSynthOut::description() const {
    return serverLost() ? "No sound: the connection to the sound server was lost" : description_;
}

bool FluidSynthOut::isWorking() const {
    return working_ && !serverLost();
}

void FluidSynthOut::Beep(int frequencyHz, int durationMs) {
    if (working_) {
        engine_->beep(frequencyHz, durationMs);
        if (driver_->pulse) driver_->pulse->wake();
    }
}

}  // namespace velmora
