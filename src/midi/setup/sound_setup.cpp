#include "midi/setup/sound_setup.h"

#include "midi/external/rtmidi_out.h"
#include "midi/midi_log.h"
#include "midi/synth/built_in_synth.h"
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
            output_ = std::make_unique<BuiltInSynth>(config_);
            output_->open();
        }
        output_->Beep(frequencyHz, durationMs);
    }

private:
    SynthConfig config_;
    std::unique_ptr<BuiltInSynth> output_;
};

SynthConfig SynthConfigFrom(const SoundOptions& options) {
    SynthConfig config;
    config.soundFont = options.soundFont;
    config.audioDriver = options.audioDriver;
    config.settings = options.synthSettings;
    return config;
}

}  // namespace

SoundSetup::SoundSetup(const SoundOptions& options, BackgroundOpen::Post post) : post_(post) {
    std::unique_ptr<MidiOut> device;
    // Output 0 is the built-in synthesizer, as --list-midi-outputs shows.
    if (options.midiOut && *options.midiOut != "0") {
        device = std::make_unique<ExternalMidiOut>(*options.midiOut);
        ownBeeper_ = std::make_unique<LazyBeeper>(SynthConfigFrom(options));
        beeper_ = ownBeeper_.get();
    } else {
        auto synth = std::make_unique<BuiltInSynth>(SynthConfigFrom(options));
        synth_ = synth.get();
        beeper_ = synth_;
        device = std::move(synth);
        if (post) {
            // The synthesizer tells from a thread of its own; this object
            // may be gone by the time the news arrives.
            synth_->onChange([this, post, alive = std::weak_ptr<int>(alive_)] {
                post([this, alive] {
                    if (!alive.expired() && background_ && !background_->closed() && changed_) {
                        changed_();
                    }
                });
            });
            auto background =
                std::make_unique<BackgroundOpen>(std::move(device), synth_, std::move(post));
            background_ = background.get();
            background_->onOpened([this] {
                if (changed_) changed_();
            });
            beeper_ = background_;
            device = std::move(background);
        }
    }

    if (options.midiLog) {
        auto log = std::make_unique<MidiLog>(std::move(device), *options.midiLog);
        if (!log->problem().empty()) problems_.push_back(log->problem());
        // Comes while the trainer sends: the status line hears of it after.
        log->onWriteError([this](const std::string& problem) {
            logProblem_ = problem;
            untold_.push_back(problem);
            if (!post_) {
                if (changed_) changed_();
                return;
            }
            post_([this, alive = std::weak_ptr<int>(alive_)] {
                if (!alive.expired() && !(background_ && background_->closed()) && changed_) {
                    changed_();
                }
            });
        });
        device = std::move(log);
    }
    device_ = std::move(device);
}

SoundSetup::~SoundSetup() {
    // The synthesizer may outlive this object, closing on a worker thread.
    if (synth_ != nullptr) synth_->onChange(nullptr);
}

SoundReport SoundSetup::report() {
    SoundReport report;
    if (background_ != nullptr && background_->opening()) {
        report.status = device_->description();
        return report;
    }
    std::string problem;
    if (!device_->isWorking()) {
        problem = device_->description();
    } else if (synth_ != nullptr) {
        problem = synth_->notice();
    }
    if (!setUpTold_) {
        if (!problem.empty()) report.newProblems.push_back(problem);
        report.newProblems.insert(report.newProblems.end(), problems_.begin(), problems_.end());
        setUpTold_ = true;
    } else if (!problem.empty() && problem != lastProblem_) {
        report.newProblems.push_back(problem);
    }
    lastProblem_ = problem;
    report.newProblems.insert(report.newProblems.end(), untold_.begin(), untold_.end());
    untold_.clear();
    if (!problem.empty()) {
        report.status = problem;
    } else if (!logProblem_.empty()) {
        report.status = logProblem_;
    } else {
        report.status = problems_.empty() ? device_->description() : problems_.front();
    }
    return report;
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
