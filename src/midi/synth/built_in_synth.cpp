// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/synth/built_in_synth.h"

#include <fluidsynth.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <utility>

#include "midi/audio_driver_name.h"
#include "midi/messages.h"
#include "midi/soundfont_locator.h"
#include "midi/synth/pulse_stream.h"
#include "midi/synth/synth_engine.h"
#include "midi/synth/synth_log.h"
#include "text/printable.h"

namespace velmora {

namespace {

// A sound server gets our own client of it (PulseStream): 256 frames in all,
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

// What each name --audio-driver and audio.driver take means, in one place.
struct AudioOutput {
    const char* name;
    bool stream;         // our own client of the sound server, PulseStream
    const char* driver;  // then FluidSynth's driver of that name; null: none
    int periodSize;      // FluidSynth's driver: frames in a period
    bool queuesPeriods;  // it keeps audio.periods of them queued, else one in all
    bool byDefault;      // tried without being named
};

constexpr AudioOutput kAudioOutputs[] = {
    // The sound server as users know it: our own client, else FluidSynth's.
    {"pulseaudio", true, "pulseaudio", kServerPeriodSize, false, true},
    // Our own client alone.
    {"pulse-stream", true, nullptr, 0, false, false},
    {"alsa", false, "alsa", kAlsaPeriodSize, true, true},
    {"oss", false, "oss", kAlsaPeriodSize, true, true},
    {"pipewire", false, "pipewire", kServerPeriodSize, false, true},
    {"sdl2", false, "sdl2", kServerPeriodSize, false, true},
    // It may start a server of its own.
    {"jack", false, "jack", kServerPeriodSize, false, false},
    // It writes a .wav into the current folder.
    {"file", false, "file", kServerPeriodSize, false, false},
};

// FluidSynth's gain at a volume: the usual volume is the usual gain.
double GainOf(int volume) {
    return SynthEngine::kDefaultGain * std::clamp(volume, 0, kLoudestVolume) / kUsualVolume;
}

// Tried after FluidSynth's own choice.
constexpr const char* kFallbackOutputs[] = {"pulseaudio", "pipewire", "sdl2"};

// Any other driver FluidSynth has plays as FluidSynth's driver.
AudioOutput OutputNamed(const std::string& name) {
    for (const AudioOutput& output : kAudioOutputs) {
        if (name == output.name) return output;
    }
    return {nullptr, false, nullptr, kServerPeriodSize, false, true};
}

// How long the audio thread sleeps at most while nothing sounds.
constexpr std::chrono::milliseconds kIdleWait{1000};
// How often an audio output is tried while none plays.
constexpr std::chrono::milliseconds kRetryInterval{1000};
// A driver that has not started by then is given up, as our own client gives
// up on a sound server: a working one starts within milliseconds, a stopped
// JACK server or a hung device would keep it for ever.
constexpr std::chrono::milliseconds kStartLimit{2000};
// A driver that has not stopped by then is left to stop by itself.
constexpr std::chrono::milliseconds kStopLimit{1000};
// An output that renders nothing while something should sound may have
// stalled (a sound server stopped, not gone). It is looked at this often
// while something sounds, so that a stall is noticed within 2 s.
constexpr std::chrono::milliseconds kStallCheck{200};
// Our own client asks the sound server once nothing has been rendered for
// that long, and takes it as stalled when that goes unanswered.
constexpr std::chrono::milliseconds kStallSuspect{500};
constexpr std::chrono::milliseconds kAnswerLimit{1000};
// FluidSynth's drivers only tell by the blocks they ask for.
constexpr std::chrono::milliseconds kStallLimit{1500};
constexpr int kControlChange = 0xB0;
constexpr int kAllSoundOff = 120;

// What keeps `output` from answering, as the user knows it.
std::string Answerer(const std::string& output) {
    if (output == "jack") return "the JACK server";
    if (OutputNamed(output).stream || output == "pipewire") return "the sound server";
    return "the audio device";
}

std::string NotAnswered(const std::string& output) {
    return Answerer(output) + " did not answer within " +
           std::to_string(kStartLimit.count() / 1000) + " s";
}

std::string StoppedAnswering(const std::string& output) {
    std::string text = Answerer(output) + " stopped answering; trying again…";
    text[0] = 'T';
    return text;
}

// What one of FluidSynth's drivers renders: the engine, until the driver is
// cut off from it. A driver whose start or stop was given up may still run,
// or start late; cut off, it renders silence and never touches the engine
// that another driver plays by then.
struct Feed {
    explicit Feed(std::shared_ptr<SynthEngine> playing) : engine(std::move(playing)) {}
    const std::shared_ptr<SynthEngine> engine;  // kept for as long as the driver may call
    std::mutex mutex;                           // held by the audio thread through each block
    std::atomic<bool> cutOff{false};

    void cut() {
        cutOff = true;
        engine->wakeAudio();                // a block waiting for a message goes on at once
        const std::lock_guard lock(mutex);  // and the block under way has ended
    }
};

int RenderCallback(void* data, int frames, int fxCount, float* fx[], int outCount, float* out[]) {
    auto* feed = static_cast<Feed*>(data);
    const std::lock_guard lock(feed->mutex);
    for (int i = 0; i < fxCount; ++i) std::fill(fx[i], fx[i] + frames, 0.0f);
    if (!feed->cutOff) feed->engine->waitWhileSilent(kIdleWait);
    int rendered = 0;
    if (outCount >= 2 && !feed->cutOff) {
        feed->engine->render(out[0], out[1], frames);
        rendered = 2;
    }
    for (int i = rendered; i < outCount; ++i) std::fill(out[i], out[i] + frames, 0.0f);
    return FLUID_OK;
}

// FluidSynth's drivers whose start or stop was given up and still runs, by
// name, in the whole process. Such a driver is not started again until it
// has returned: it would only hang the same way.
std::mutex gStuckMutex;
std::map<std::string, int> gStuck;  // by gStuckMutex
std::atomic<int> gStuckCount{0};

void Stick(const std::string& driver) {
    const std::lock_guard lock(gStuckMutex);
    ++gStuck[driver];
    ++gStuckCount;
}

void Unstick(const std::string& driver) {
    const std::lock_guard lock(gStuckMutex);
    if (--gStuck[driver] == 0) gStuck.erase(driver);
    --gStuckCount;
}

bool Stuck(const std::string& driver) {
    const std::lock_guard lock(gStuckMutex);
    return gStuck.count(driver) > 0;
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

// The output names that can be played through here.
std::vector<std::string> AvailableOutputs(fluid_settings_t* settings) {
    std::vector<std::string> outputs = AvailableDrivers(settings);
    for (const AudioOutput& output : kAudioOutputs) {
        if (output.stream && !Contains(outputs, output.name)) outputs.emplace_back(output.name);
    }
    return outputs;
}

}  // namespace

std::vector<std::string> AudioOutputChoices() {
    fluid_settings_t* settings = new_fluid_settings();
    if (settings == nullptr) return {};
    const std::vector<std::string> available = AvailableOutputs(settings);
    delete_fluid_settings(settings);
    std::vector<std::string> choices;
    for (const AudioOutput& output : kAudioOutputs) {
        // "file" writes a .wav into whatever folder the program started in.
        if (std::string(output.name) != "file" && Contains(available, output.name)) {
            choices.emplace_back(output.name);
        }
    }
    return choices;
}

namespace {

// The driver the user asked for, by option or setting; empty when none.
std::string ChosenDriver(const SoundOptions& options) {
    if (options.audioDriver) return *options.audioDriver;
    std::string chosen;
    for (const auto& [name, value] : options.synthSettings) {
        if (name == "audio.driver") chosen = value;
    }
    return chosen;
}

// The drivers the user's settings are about (audio.<driver>.<name>), in
// their order, among those this FluidSynth has.
std::vector<std::string> ConfiguredDrivers(const SoundOptions& options,
                                           const std::vector<std::string>& available) {
    std::vector<std::string> drivers;
    for (const auto& [name, value] : options.synthSettings) {
        if (name.rfind("audio.", 0) != 0) continue;
        const std::size_t dot = name.find('.', 6);
        if (dot == std::string::npos) continue;
        const std::string driver = name.substr(6, dot - 6);
        if (Contains(available, driver) && !Contains(drivers, driver)) drivers.push_back(driver);
    }
    return drivers;
}

// The user's own settings for `driver`, as given: "audio.alsa.device=hw:1".
std::string SettingsFor(const SoundOptions& options, const std::string& driver) {
    const std::string prefix = "audio." + driver + ".";
    std::string text;
    for (const auto& [name, value] : options.synthSettings) {
        if (name.rfind(prefix, 0) == 0) {
            text += (text.empty() ? "" : " ") + Printable(name + "=" + value);
        }
    }
    return text;
}

// In order: the drivers the user's settings are about, the sound server's,
// FluidSynth's own choice and the fallbacks.
std::vector<std::string> UsualDrivers(const SoundOptions& options, fluid_settings_t* settings) {
    const std::vector<std::string> available = AvailableOutputs(settings);
    std::vector<std::string> drivers = ConfiguredDrivers(options, available);
    std::vector<std::string> candidates;
    // Where a sound server runs, FluidSynth's default ALSA output reaches it
    // through ALSA's own plugin, which costs several percent of a core in
    // small periods; our own client of the server costs far less.
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
    candidates.insert(candidates.end(), std::begin(kFallbackOutputs), std::end(kFallbackOutputs));
    for (const std::string& name : candidates) {
        if (Contains(available, name) && !Contains(drivers, name) && OutputNamed(name).byDefault) {
            drivers.push_back(name);
        }
    }
    return drivers;
}

// The driver the user chose, alone; else the usual ones.
std::vector<std::string> DriversToTry(const SoundOptions& options, fluid_settings_t* settings) {
    if (std::string chosen = ChosenDriver(options); !chosen.empty()) return {chosen};
    return UsualDrivers(options, settings);
}

void ApplyLatency(const SoundOptions& options, fluid_settings_t* settings,
                  const std::string& driver) {
    if (!HasSynthSetting(options, "audio.period-size")) {
        fluid_settings_setint(settings, "audio.period-size", OutputNamed(driver).periodSize);
    }
    if (!HasSynthSetting(options, "audio.periods")) {
        fluid_settings_setint(settings, "audio.periods", kAlsaPeriods);
    }
    // Without it PulseAudio's buffer is held to one period, which underruns.
    if (driver == "pulseaudio" && !HasSynthSetting(options, "audio.pulseaudio.adjust-latency")) {
        fluid_settings_setint(settings, "audio.pulseaudio.adjust-latency", 1);
    }
    // The server keeps time; a real-time client thread only wakes for every
    // small request at once, which doubled the CPU time of playing.
    if (driver == "pulseaudio" && !HasSynthSetting(options, "audio.realtime-prio")) {
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
int PulseBufferFrames(const SoundOptions& options, fluid_settings_t* settings) {
    int frames = PulseStream::kDefaultBufferFrames;
    if (HasSynthSetting(options, "audio.period-size")) {
        fluid_settings_getint(settings, "audio.period-size", &frames);
    }
    return frames;
}

PulseStream::Options PulseOptions(const SoundOptions& options, fluid_settings_t* settings) {
    PulseStream::Options pulse;
    pulse.server = ServerSetting(settings, "audio.pulseaudio.server");
    pulse.device = ServerSetting(settings, "audio.pulseaudio.device");
    pulse.role = ServerSetting(settings, "audio.pulseaudio.media-role");
    pulse.bufferFrames = PulseBufferFrames(options, settings);
    return pulse;
}

std::string Join(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : ", ") + Printable(word);
    return text;
}

}  // namespace

double ConfiguredLatencyMs(const SoundOptions& options, const std::string& driver) {
    SynthEngine engine;
    for (const auto& [name, value] : options.synthSettings) engine.applySetting(name, value);
    fluid_settings_t* settings = engine.settings();
    if (settings == nullptr) return 0.0;
    double sampleRate = 0.0;
    fluid_settings_getnum(settings, "synth.sample-rate", &sampleRate);
    if (sampleRate <= 0) return 0.0;
    const AudioOutput output = OutputNamed(driver);
    if (output.stream) return 1000.0 * PulseBufferFrames(options, settings) / sampleRate;
    ApplyLatency(options, settings, driver);
    int periodSize = 0;
    int periods = 0;
    fluid_settings_getint(settings, "audio.period-size", &periodSize);
    fluid_settings_getint(settings, "audio.periods", &periods);
    if (!output.queuesPeriods) periods = 1;
    return 1000.0 * periodSize * periods / sampleRate;
}

// A call into FluidSynth's driver code, which cannot be interrupted, on a
// thread of its own: waited for a bounded time, or given up. A call given up
// runs on by itself, with `feed` (and the engine) kept, and hands what it
// returns late to `late` there.
class BuiltInSynth::DriverCall {
public:
    using Call = std::function<fluid_audio_driver_t*()>;
    using Late = std::function<void(fluid_audio_driver_t*)>;

    DriverCall(std::string driver, std::shared_ptr<Feed> feed, Call call, Late late)
        : driver_(std::move(driver)), state_(std::make_shared<State>()) {
        thread_ = std::thread([state = state_, driver = driver_, feed = std::move(feed),
                               call = std::move(call), late = std::move(late)]() mutable {
            fluid_audio_driver_t* result = call();
            {
                const std::lock_guard lock(state->mutex);
                state->returned = true;
                state->result = result;
                if (!state->givenUp) {
                    state->ended.notify_all();
                    return;
                }
            }
            late(result);
            // Before it counts as ended: the process may end as soon as none runs.
            feed.reset();
            Unstick(driver);
        });
    }
    ~DriverCall() {
        if (thread_.joinable()) wait(std::chrono::milliseconds(0));
    }
    DriverCall(const DriverCall&) = delete;
    DriverCall& operator=(const DriverCall&) = delete;

    // True with what the call returned, once it has; false once `limit` has
    // passed or cancel() was called: then it is given up.
    bool wait(std::chrono::milliseconds limit, fluid_audio_driver_t** result = nullptr) {
        std::unique_lock lock(state_->mutex);
        state_->ended.wait_for(lock, limit,
                               [this] { return state_->returned || state_->cancelled; });
        if (state_->returned) {
            if (result != nullptr) *result = state_->result;
            lock.unlock();
            thread_.join();
            return true;
        }
        state_->givenUp = true;
        Stick(driver_);
        lock.unlock();
        thread_.detach();
        return false;
    }
    // Any thread, while wait() runs on another: it gives up at once.
    void cancel() {
        const std::lock_guard lock(state_->mutex);
        state_->cancelled = true;
        state_->ended.notify_all();
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable ended;
        bool returned = false;   // the call has returned
        bool cancelled = false;  // close() began meanwhile
        bool givenUp = false;    // nobody waits: the thread cleans up after itself
        fluid_audio_driver_t* result = nullptr;
    };
    std::string driver_;
    std::shared_ptr<State> state_;
    std::thread thread_;
};

// Either our own PulseAudio output or one of FluidSynth's drivers.
struct BuiltInSynth::Driver {
    std::unique_ptr<PulseStream> pulse;
    fluid_audio_driver_t* handle = nullptr;
    std::shared_ptr<Feed> feed;  // with `handle`
    std::string fluidName;       // with `handle`: FluidSynth's name of the driver
    std::string name;
    // Nothing is rendered once this returns, even if FluidSynth's driver has
    // not stopped yet.
    ~Driver() {
        if (handle == nullptr) return;
        feed->cut();
        DriverCall stop(
            fluidName, feed,
            [handle = handle] {
                delete_fluid_audio_driver(handle);
                return static_cast<fluid_audio_driver_t*>(nullptr);
            },
            [](fluid_audio_driver_t*) {});
        stop.wait(kStopLimit);
    }
};

int BuiltInSynth::DriversStillRunning() {
    return gStuckCount.load();
}

BuiltInSynth::BuiltInSynth(SoundOptions options, SynthUse use)
    : options_(std::move(options)), use_(use), volume_(options_.volume.value_or(kUsualVolume)) {}

BuiltInSynth::~BuiltInSynth() {
    close();
}

bool BuiltInSynth::open() {
    close();
    auto fail = [this](const std::string& why) {
        close();
        const std::lock_guard lock(mutex_);
        description_ = "No sound: " + why;
        return false;
    };

    SoundFontLookup soundFont;
    if (use_ == SynthUse::Notes) {
        soundFont = LocateSoundFont(options_.soundFont);
        if (!soundFont.error.empty()) return fail(soundFont.error);
        soundFontName_ = SoundFontName(soundFont.path);
    }

    // The engine may outlive this output, kept by a driver given up.
    auto engine = std::shared_ptr<SynthEngine>(new SynthEngine(), [](SynthEngine* engine) {
        delete engine;
        // The SoundFont's layout and instruments were read on threads that
        // have ended; what they freed stays in their malloc arenas, so
        // every switch of output would leave tens of megabytes behind.
        malloc_trim(0);
    });
    for (const auto& [name, value] : options_.synthSettings) {
        if (std::string problem = engine->applySetting(name, value); !problem.empty()) {
            return fail(problem);
        }
    }
    if (std::string problem = engine->start(); !problem.empty()) return fail(problem);
    {
        // Nothing else plays it yet: the gain is set here, before any note.
        const std::lock_guard lock(mutex_);
        engine_ = std::move(engine);
        if (!HasSynthSetting(options_, "synth.gain")) engine_->setGain(GainOf(volume_));
    }
    if (use_ == SynthUse::Notes) {
        if (std::string problem = engine_->loadSoundFont(soundFont.path); !problem.empty()) {
            return fail(problem);
        }
    }

    fluid_settings_t* settings = engine_->settings();
    const std::vector<std::string> available = AvailableOutputs(settings);
    for (const std::string& name : DriversToTry(options_, settings)) {
        if (!Contains(available, name)) {
            return fail("unknown audio driver " + Quoted(name) + " (there are: " + Join(available) +
                        ")");
        }
    }

    serverHangs_ = false;
    {
        const std::lock_guard lock(queueMutex_);
        queue_.clear();
        sendersEnd_ = false;
        gainDue_ = true;  // a volume set since the engine was made
    }
    soundFontChangeTold_ = false;
    sender_ = std::thread([this] { deliver(); });
    {
        const std::lock_guard lock(attemptMutex_);
        giveUp_ = false;
    }
    {
        const std::lock_guard lock(watchMutex_);
        stopping_ = false;
        lost_ = false;
        nudged_ = false;
    }
    Started started = startDriver({});
    const bool playing = started.driver != nullptr;
    if (playing) {
        install(std::move(started));
    } else {
        // The engine stays: it renders fine, it just has nowhere to play yet.
        const std::lock_guard lock(mutex_);
        description_ = "No sound: " + started.why;
    }
    watcher_ = std::thread([this, playing] { watch(playing); });
    return playing;
}

BuiltInSynth::Started BuiltInSynth::startDriver(const std::string& only) {
    fluid_settings_t* settings = engine_->settings();
    std::vector<std::string> drivers =
        !only.empty() ? std::vector<std::string>{only} : DriversToTry(options_, settings);
    // A chosen driver that does not answer gives way to the usual ones.
    bool fallBack = only.empty() && !ChosenDriver(options_).empty();
    Started started;
    struct Failure {
        std::string driver;
        std::string why;
        bool unanswered = false;
    };
    std::vector<Failure> failures;
    auto notAnswered = [&](const std::string& name) {
        failures.push_back({name, NotAnswered(name), true});
        if (std::exchange(fallBack, false)) {
            for (const std::string& usual : UsualDrivers(options_, settings)) {
                if (!Contains(drivers, usual)) drivers.push_back(usual);
            }
        }
    };
    bool serverTried = false;
    auto givingUp = [this] {
        const std::lock_guard lock(attemptMutex_);
        return giveUp_;
    };
    // By index: the list may grow meanwhile.
    for (std::size_t index = 0; index < drivers.size(); ++index) {
        const std::string name = drivers[index];
        const AudioOutput output = OutputNamed(name);
        if (output.stream && !serverTried) {
            serverTried = true;
            auto pulse = std::make_unique<PulseStream>(*engine_);
            pulse->onLost([this] {
                {
                    const std::lock_guard lock(watchMutex_);
                    lost_ = true;
                }
                watchWake_.notify_all();
            });
            {
                // With the check: a close() from now on cancels this attempt.
                const std::lock_guard lock(attemptMutex_);
                if (giveUp_) break;
                attempt_ = pulse.get();
            }
            std::string why = pulse->open(PulseOptions(options_, settings));
            {
                const std::lock_guard lock(attemptMutex_);
                attempt_ = nullptr;
            }
            if (why.empty()) {
                serverHangs_ = false;
                started.driver = std::make_unique<Driver>();
                started.driver->pulse = std::move(pulse);
                started.driver->name = name;
                break;
            }
            failures.push_back({name, why, pulse->unanswered()});
            // Once it has been seen to hang, a server's queue of connections
            // fills up and it refuses at once: still the same server.
            if (pulse->unanswered()) serverHangs_ = true;
            // FluidSynth's driver for the server would not notice it going.
            if (!only.empty()) break;
        }
        if (givingUp()) break;
        if (output.stream && output.driver == nullptr) continue;
        // FluidSynth's driver would wait for that server for ever, and ALSA's
        // default device, routed to it by PulseAudio's ALSA plugin, half a
        // minute.
        if (serverHangs_ &&
            (name == "pulseaudio" ||
             (name == "alsa" && ServerSetting(settings, "audio.alsa.device").empty()))) {
            continue;
        }
        const std::string driver = output.driver != nullptr ? output.driver : name;
        // Its earlier start or stop has not returned yet.
        if (Stuck(driver)) {
            notAnswered(name);
            continue;
        }
        fluid_settings_setstr(settings, "audio.driver", driver.c_str());
        ApplyLatency(options_, settings, name);
        ClearSynthErrors();
        auto feed = std::make_shared<Feed>(engine_);
        DriverCall start(
            driver, feed,
            [settings, feed = feed.get()] {
                return new_fluid_audio_driver2(settings, RenderCallback, feed);
            },
            // Started after all, once given up: never played through.
            [](fluid_audio_driver_t* late) {
                if (late != nullptr) delete_fluid_audio_driver(late);
            });
        bool cancellable = false;
        {
            // With the check: a close() from now on cancels this attempt.
            const std::lock_guard lock(attemptMutex_);
            cancellable = !giveUp_;
            if (cancellable) driverAttempt_ = &start;
        }
        fluid_audio_driver_t* handle = nullptr;
        const bool answered = cancellable && start.wait(kStartLimit, &handle);
        {
            const std::lock_guard lock(attemptMutex_);
            driverAttempt_ = nullptr;
        }
        if (!answered) {
            feed->cut();
            if (givingUp()) break;
            notAnswered(name);
            continue;
        }
        if (handle != nullptr) {
            started.driver = std::make_unique<Driver>();
            started.driver->handle = handle;
            started.driver->feed = std::move(feed);
            started.driver->fluidName = driver;
            started.driver->name = name;
            break;
        }
        failures.push_back({name, LastSynthError()});
    }

    if (started.driver) {
        // A driver that did not answer, or settings the user gave for one
        // that failed, while another plays.
        for (const Failure& failure : failures) {
            if (failure.driver == started.driver->name) continue;
            const std::string playing =
                "Playing through " + Printable(AudioDriverDisplayName(started.driver->name)) + ": ";
            if (failure.unanswered) {
                started.notice =
                    playing + Quoted(failure.driver) + " could not be started: " + failure.why;
                break;
            }
            const std::string settingsText = SettingsFor(options_, failure.driver);
            if (settingsText.empty()) continue;
            started.notice = playing + settingsText + " could not be used";
            if (!failure.why.empty()) started.notice += " (" + failure.why + ")";
            break;
        }
    } else if (drivers.empty()) {
        started.why = "this FluidSynth has no audio driver to use";
    } else if (drivers.size() == 1) {
        started.why = "audio driver " + Quoted(drivers.front()) + " could not be started";
        if (!failures.empty() && !failures.front().why.empty()) {
            started.why += ": " + failures.front().why;
        }
    } else {
        started.why = "no audio output could be opened (tried " + Join(drivers) + ")";
        if (!failures.empty() && !failures.front().why.empty()) {
            started.why += "; " + Printable(failures.front().driver) + ": " + failures.front().why;
        }
    }
    return started;
}

std::string BuiltInSynth::playingDescription(const std::string& driver) const {
    const std::string output = AudioDriverDisplayName(driver);
    return use_ == SynthUse::Notes ? "Built-in synthesizer · " + soundFontName_ + " · " + output
                                   : "Beep output · " + output;
}

void BuiltInSynth::install(Started started) {
    const std::lock_guard lock(mutex_);
    description_ = playingDescription(started.driver->name);
    notice_ = std::move(started.notice);
    driver_ = std::move(started.driver);
    working_ = true;
}

// The sound server's thread only raises lost_; everything else happens here,
// where waiting for a server does not hold up a message or a close().
void BuiltInSynth::watch(bool playing) {
    // Once an output has been lost, only that one is tried again: any other,
    // as the sound card itself, would keep it from the sound server as that
    // comes back.
    std::string only;
    Stall stall;
    stall.renders = engine_->renders();
    for (;;) {
        bool lost = false;
        {
            std::unique_lock lock(watchMutex_);
            if (!playing) {
                watchWake_.wait_for(lock, kRetryInterval, [this] { return stopping_; });
            } else if (engine_->sounding()) {
                watchWake_.wait_for(lock, kStallCheck, [this] { return stopping_ || lost_; });
            } else {
                // Nothing to notice until something is sent: no wake-ups while idle.
                watchWake_.wait(lock, [this] { return stopping_ || lost_ || nudged_; });
            }
            if (stopping_) return;
            lost = std::exchange(lost_, false);
            nudged_ = false;
        }
        // A loss told while the output was being dropped for a stall is old news.
        if (lost && playing) {
            only = dropDriver("No sound: the connection to the sound server was lost");
            playing = false;
        } else if (playing) {
            if (stalled(stall)) {
                std::string name;
                {
                    const std::lock_guard lock(mutex_);
                    name = driver_->name;
                }
                only = dropDriver(StoppedAnswering(name));
                playing = false;
            }
        } else if (Started started = startDriver(only); started.driver) {
            install(std::move(started));
            playing = true;
            stall = Stall();
            stall.renders = engine_->renders();
            tellChange();
        }
    }
}

bool BuiltInSynth::stalled(Stall& stall) const {
    const auto now = std::chrono::steady_clock::now();
    const std::uint64_t renders = engine_->renders();
    const bool sounding = engine_->sounding();
    if (renders != stall.renders) stall.flowing = true;
    auto restart = [&] {
        stall.renders = renders;
        stall.since = now;
        stall.sounding = sounding;
        stall.asked = false;
        return false;
    };
    // Timed only from the moment something should sound.
    if (renders != stall.renders || !sounding || !stall.sounding) return restart();
    // A sound server may take a second or two to ask a new stream for more
    // than its first buffer, as a sink adjusts its latency to it: only one
    // that does not answer has stalled.
    if (PulseStream* pulse = driver_->pulse.get()) {
        if (now - stall.since < kStallSuspect) return false;
        if (!stall.asked) {
            stall.asked = true;
            stall.askedAt = now;
            stall.answers = pulse->answers();
            pulse->ping();
            return false;
        }
        if (pulse->answers() != stall.answers) return restart();
        return now - stall.askedAt >= kAnswerLimit;
    }
    return stall.flowing && now - stall.since >= kStallLimit;
}

void BuiltInSynth::nudgeWatcher() {
    {
        const std::lock_guard lock(watchMutex_);
        nudged_ = true;
    }
    watchWake_.notify_all();
}

std::string BuiltInSynth::dropDriver(const std::string& why) {
    std::unique_ptr<Driver> gone;
    {
        const std::lock_guard lock(mutex_);
        gone = std::move(driver_);
        working_ = false;
        description_ = why;
        notice_.clear();
    }
    // Told before the driver stops: one that has stalled may take a while.
    tellChange();
    const std::string name = gone->name;
    gone.reset();  // nothing renders now
    // What sounded would go on where it stopped once the output is back.
    const std::lock_guard lock(mutex_);
    for (int channel = 0; channel < 16; ++channel) {
        engine_->send(ComposeShortMessage(kControlChange, channel, kAllSoundOff, 0));
    }
    engine_->forgetBeep();
    return name;
}

void BuiltInSynth::tellChange() {
    const std::lock_guard lock(changeMutex_);
    if (onChange_) onChange_();
}

void BuiltInSynth::onChange(std::function<void()> changed) {
    const std::lock_guard lock(changeMutex_);
    onChange_ = std::move(changed);
}

void BuiltInSynth::send(std::uint32_t message) {
    {
        const std::lock_guard lock(queueMutex_);
        if (sendersEnd_) return;
        queue_.push_back(message);
    }
    queueWake_.notify_one();
}

void BuiltInSynth::deliver() {
    for (;;) {
        std::uint32_t message = 0;
        bool gainDue = false;
        {
            std::unique_lock lock(queueMutex_);
            queueWake_.wait(lock, [this] { return sendersEnd_ || gainDue_ || !queue_.empty(); });
            if (sendersEnd_) return;
            gainDue = std::exchange(gainDue_, false);
            if (!gainDue) {
                message = queue_.front();
                queue_.pop_front();
            }
        }
        if (gainDue) {
            int volume = kUsualVolume;
            {
                const std::lock_guard lock(mutex_);
                volume = volume_;
            }
            if (!HasSynthSetting(options_, "synth.gain")) engine_->setGain(GainOf(volume));
            continue;
        }
        {
            const std::lock_guard lock(mutex_);
            if (!working_ || !engine_->hasSoundFont()) continue;
        }
        // Not under mutex_: loading an instrument must not hold up the
        // window asking how the sound is. The engine stays until close(),
        // which ends this thread first.
        engine_->send(message);
        {
            const std::lock_guard lock(mutex_);
            if (working_ && driver_->pulse) driver_->pulse->wake();
        }
        nudgeWatcher();
        if (!soundFontChangeTold_ && engine_->soundFontChanged()) {
            soundFontChangeTold_ = true;
            tellChange();
        }
    }
}

void BuiltInSynth::stopDelivering() {
    {
        const std::lock_guard lock(queueMutex_);
        sendersEnd_ = true;
    }
    queueWake_.notify_all();
    if (sender_.joinable()) sender_.join();
}

std::chrono::steady_clock::time_point BuiltInSynth::lastNoteOnApplied() const {
    const std::lock_guard lock(mutex_);
    return engine_ ? engine_->lastNoteOn() : std::chrono::steady_clock::time_point{};
}

void BuiltInSynth::close() {
    {
        const std::lock_guard lock(watchMutex_);
        stopping_ = true;
    }
    watchWake_.notify_all();
    {
        const std::lock_guard lock(attemptMutex_);
        giveUp_ = true;
        if (attempt_ != nullptr) attempt_->cancel();
        if (driverAttempt_ != nullptr) driverAttempt_->cancel();
    }
    if (watcher_.joinable()) watcher_.join();
    stopDelivering();

    std::unique_ptr<Driver> driver;
    {
        const std::lock_guard lock(mutex_);
        working_ = false;
        notice_.clear();
        driver = std::move(driver_);
    }
    if (engine_) engine_->stopWaiting();
    driver.reset();  // stops the audio thread before the engine goes
    std::shared_ptr<SynthEngine> engine;
    {
        const std::lock_guard lock(mutex_);
        engine = std::move(engine_);
    }
}

void BuiltInSynth::setVolume(int percent) {
    {
        const std::lock_guard lock(mutex_);
        volume_ = std::clamp(percent, 0, kLoudestVolume);
    }
    if (HasSynthSetting(options_, "synth.gain")) return;
    // Set by the sender: FluidSynth holds the gain back while it reads an
    // instrument from disk, and the window's thread must not wait for that.
    {
        const std::lock_guard lock(queueMutex_);
        if (sendersEnd_) return;  // open() takes volume_ as it is
        gainDue_ = true;
    }
    queueWake_.notify_one();
}

double BuiltInSynth::gain() const {
    std::shared_ptr<SynthEngine> engine;
    {
        const std::lock_guard lock(mutex_);
        engine = engine_;
    }
    return engine ? engine->gain() : SynthEngine::kDefaultGain;
}

std::string BuiltInSynth::description() const {
    const std::lock_guard lock(mutex_);
    return description_;
}

bool BuiltInSynth::isWorking() const {
    const std::lock_guard lock(mutex_);
    return working_;
}

std::string BuiltInSynth::notice() const {
    const std::lock_guard lock(mutex_);
    if (working_ && engine_->soundFontChanged()) {
        return "SoundFont " + Quoted(soundFontName_) +
               " changed on disk: restart the trainer to hear other instruments";
    }
    return notice_;
}

void BuiltInSynth::Beep(int frequencyHz, int durationMs) {
    {
        const std::lock_guard lock(mutex_);
        if (!working_) return;
        engine_->beep(frequencyHz, durationMs);
        if (driver_->pulse) driver_->pulse->wake();
    }
    nudgeWatcher();
}

}  // namespace velmora
