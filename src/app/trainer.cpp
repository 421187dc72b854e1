#include "app/trainer.h"

#include "midi/midi_out.h"

namespace velmora {

Trainer::Trainer(MidiOut& device, Scheduler& scheduler, Beeper& beeper)
    : device_(device),
      beeper_(beeper),
      midiOutput_(panel_, state_),
      playback_(panel_, state_, midiOutput_, scheduler) {
    wireEvents();
}

Trainer::~Trainer() {
    Form_Unload();
}

void Trainer::wireEvents() {
    panel_.cboInstrument.onClick = [this] { midiOutput_.cboInstrument_Click(); };
    panel_.lstDuration.onClick = [this] { playback_.lstDuration_Click(); };
    panel_.vsbTempo.onChange = [this] { playback_.vsbTempo_Change(); };
}

void Trainer::Form_Load() {
    for (int pitchClass = 0; pitchClass < kPitchClasses; ++pitchClass) {
        state_.shortcutKeys[pitchClass] = kShortcutKeyLetters[pitchClass];
    }

    panel_.cboInstrument.setListIndex(0);

    FillDurationList();
    panel_.lstDuration.setListIndex(0);

    state_.noteOffset = 0;
    state_.noteVelocity = 127;

    // The bar already holds 60 by design, so setting it fires nothing; the
    // handler must run anyway so that tempo is never 0.
    if (panel_.vsbTempo.value() == 60) {
        playback_.vsbTempo_Change();
    } else {
        panel_.vsbTempo.setValue(60);
    }

    state_.answerIndex = -1;

    deviceOpen_ = true;
    device_.open();
    state_.midiOutHandle = &device_;
}

void Trainer::Form_Unload() {
    if (!deviceOpen_) return;
    // Whatever still sounds is released while the device can still hear it.
    playback_.releaseNow();
    state_.exerciseRunning = false;
    state_.repeatActive = false;
    state_.midiOutHandle = nullptr;
    device_.close();
    deviceOpen_ = false;
}

void Trainer::FillDurationList() {
    for (const char* item : {"Whole", "Half", "Quarter", "8th", "16th"}) {
        panel_.lstDuration.addItem(item);
    }
}

}  // namespace velmora
