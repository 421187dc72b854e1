#include "midi/devices/sound_output.h"

#include "midi/external/rtmidi_out.h"
#include "midi/midi_log.h"
#include "midi/synth/fluidsynth_out.h"
#include "text/printable.h"

namespace velmora {

namespace {

// With the notes on an external port, the beep still comes from our own audio
// output, opened at the first wrong answer so that a user who never errs (or
// has no audio device) pays nothing for it.
class LazyBeeper final : public Beeper {
public:
    explicit LazyBeeper(SynthConfig config) : config_(std::move(config)) {
        config_.loadSoundFont = false;
    }
    ~LazyBeeper() override {
        if (output_) output_->close();
    }
    void Beep(int frequencyHz, int durationMs) override {
        if (!output_) {
            output_ = std::make_unique<FluidSynthOut>(config_);
            output_->open();
        }
        output_->Beep(frequencyHz, durationMs);
    }

private:
    SynthConfig config_;
    std::unique_ptr<FluidSynthOut> output_;
};

SynthConfig SynthConfigFrom(const Options& options) {
    SynthConfig config;
    config.soundFont = options.soundFont;
    config.audioDriver = options.audioDriver;
    config.settings = options.synthSettings;
    return config;
}

}  // namespace

SoundOutput::SoundOutput(const Options& options, BackgroundOpen::Post post) {
    std::unique_ptr<MidiOut> device;
    // Output 0 is the built-in synthesizer, as --list-midi-outputs shows.
    if (options.midiOut && *options.midiOut != "0") {
        device = std::make_unique<ExternalMidiOut>(*options.midiOut);
        ownBeeper_ = std::make_unique<LazyBeeper>(SynthConfigFrom(options));
        beeper_ = ownBeeper_.get();
    } else {
        auto synth = std::make_unique<FluidSynthOut>(SynthConfigFrom(options));
        beeper_ = synth.get();
        device = std::move(synth);
        if (post) {
            Beeper* synthBeeper = beeper_;
            auto background =
                std::make_unique<BackgroundOpen>(std::move(device), synthBeeper, std::move(post));
            background_ = background.get();
            beeper_ = background_;
            device = std::move(background);
        }
    }

    if (options.midiLog) {
        auto log = std::make_unique<MidiLog>(std::move(device), *options.midiLog);
        if (!log->problem().empty()) problems_.push_back(log->problem());
        log->onWriteError([this](const std::string& problem) {
            if (reportProblem_ && !(background_ && background_->opening())) {
                reportProblem_(problem);
            } else {
                problems_.push_back(problem);
            }
        });
        device = std::move(log);
    }
    device_ = std::move(device);
}

SoundOutput::~SoundOutput() = default;

void SoundOutput::whenOpen(std::function<void()> done) {
    if (background_) {
        background_->whenOpen(std::move(done));
    } else {
        done();
    }
}

void SoundOutput::whenProblem(std::function<void(const std::string&)> report) {
    reportProblem_ = std::move(report);
}

std::vector<std::string> ListMidiOutputs() {
    std::vector<std::string> lines{"0: Built-in synthesizer"};
    const std::vector<std::string> ports = ListExternalMidiPorts();
    for (std::size_t i = 0; i < ports.size(); ++i) {
        lines.push_back(std::to_string(i + 1) + ": " + Printable(ports[i]));
    }
    return lines;
}

}  // namespace velmora
