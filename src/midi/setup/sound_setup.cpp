// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/setup/sound_setup.h"

#include "midi/external/rtmidi_out.h"
#include "midi/midi_log.h"
#include "midi/switchable_out.h"
#include "midi/synth/built_in_synth.h"
#include "text/printable.h"

namespace velmora {

namespace {

// With the notes on an external port, the beep still comes from our own audio
// output, opened at the first wrong answer so that a user who never errs (or
// has no audio device) pays nothing for it.
class LazyBeeper final : public Beeper {
public:
    explicit LazyBeeper(SoundOptions options) : options_(std::move(options)) {}
    ~LazyBeeper() override {
        if (output_) output_->close();
    }
    void Beep(int frequencyHz, int durationMs) override {
        if (!output_) {
            output_ = std::make_unique<BuiltInSynth>(options_, SynthUse::BeepOnly);
            output_->open();
        }
        output_->Beep(frequencyHz, durationMs);
    }

private:
    SoundOptions options_;
    std::unique_ptr<BuiltInSynth> output_;
};

}  // namespace

SoundSetup::SoundSetup(const SoundOptions& options, BackgroundOpen::Post post)
    : options_(options), post_(std::move(post)) {
    auto output = std::make_unique<SwitchableOut>(build(options));
    switch_ = output.get();
    std::unique_ptr<MidiOut> device = std::move(output);
    if (options.midiLog) {
        auto log = std::make_unique<MidiLog>(std::move(device), *options.midiLog);
        if (!log->problem().empty()) logProblems_.push_back(log->problem());
        // Comes while the trainer sends: the status line hears of it after.
        log->onWriteError([this](const std::string& problem) {
            logProblem_ = problem;
            untold_.push_back(problem);
            if (!post_) {
                tellChange();
                return;
            }
            post_([this, alive = std::weak_ptr<int>(alive_)] {
                if (!alive.expired()) tellChange();
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

std::unique_ptr<MidiOut> SoundSetup::build(const SoundOptions& options) {
    current_ = std::make_shared<int>(0);
    synth_ = nullptr;
    background_ = nullptr;
    ownBeeper_.reset();
    std::unique_ptr<MidiOut> device;
    // Output 0 is the built-in synthesizer, as --list-midi-outputs shows.
    if (options.midiOut && *options.midiOut != "0") {
        device = std::make_unique<ExternalMidiOut>(*options.midiOut);
        ownBeeper_ = std::make_unique<LazyBeeper>(options);
        beeper_.to = ownBeeper_.get();
        return device;
    }
    auto synth = std::make_unique<BuiltInSynth>(options);
    synth_ = synth.get();
    beeper_.to = synth_;
    device = std::move(synth);
    if (post_) {
        // The synthesizer tells from a thread of its own; this object may be
        // gone, or use another output, by the time the news arrives.
        synth_->onChange([this, post = post_, current = std::weak_ptr<int>(current_)] {
            post([this, current] {
                if (!current.expired()) tellChange();
            });
        });
        auto background = std::make_unique<BackgroundOpen>(std::move(device), synth_, post_);
        background_ = background.get();
        background_->onOpened([this] { tellChange(); });
        beeper_.to = background_;
        device = std::move(background);
    }
    return device;
}

void SoundSetup::reopen(const SoundOptions& options) {
    SoundOptions next = options;
    next.midiLog = options_.midiLog;
    options_ = next;
    if (synth_ != nullptr) synth_->onChange(nullptr);
    std::unique_ptr<Beeper> oldOwnBeeper = std::move(ownBeeper_);
    std::unique_ptr<MidiOut> fresh = build(next);
    // The old output and its beep go only once the switch has released and
    // closed it.
    switch_->replace(std::move(fresh)).reset();
    oldOwnBeeper.reset();
    outputProblems_.clear();
    setUpTold_ = false;
    lastProblem_.clear();
    tellChange();
}

void SoundSetup::setVolume(int percent) {
    options_.volume = percent;
    if (synth_ != nullptr) synth_->setVolume(percent);
}

void SoundSetup::tellChange() {
    // Never once the trainer has closed the device.
    if (background_ != nullptr && background_->closed()) return;
    if (changed_) changed_();
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
    std::vector<std::string> setUpProblems = logProblems_;
    setUpProblems.insert(setUpProblems.end(), outputProblems_.begin(), outputProblems_.end());
    if (!setUpTold_) {
        if (!problem.empty()) report.newProblems.push_back(problem);
        report.newProblems.insert(report.newProblems.end(), setUpProblems.begin(),
                                  setUpProblems.end());
        setUpTold_ = true;
    } else if (!problem.empty() && problem != lastProblem_) {
        report.newProblems.push_back(problem);
    }
    lastProblem_ = problem;
    report.newProblems.insert(report.newProblems.end(), untold_.begin(), untold_.end());
    untold_.clear();
    report.problem = true;
    if (!problem.empty()) {
        report.status = problem;
    } else if (!logProblem_.empty()) {
        report.status = logProblem_;
    } else if (!setUpProblems.empty()) {
        report.status = setUpProblems.front();
    } else {
        report.status = device_->description();
        report.problem = false;
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
