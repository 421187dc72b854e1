// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "model/panel.h"
#include "model/trainer_state.h"

namespace velmora {

// The three messages the trainer sends, and the instrument chooser.
class NoteSender {
public:
    NoteSender(Panel& panel, TrainerState& state) : panel_(panel), state_(state) {}

    // Sends the instrument selected right now, selecting the first one if none is.
    void SendProgramChange(std::int16_t channel);
    void NoteOn(std::int16_t note, std::int16_t channel);
    void NoteOff(std::int16_t note, std::int16_t channel);

    void cboInstrument_Click();

    // The masker that clears the ear, on a channel of its own: its program
    // and keys as given, leaving the selected instrument, the note offset and
    // the question's loudness alone.
    void SendMaskerProgram(std::int16_t channel, int program);
    void MaskerKeyOn(std::int16_t channel, int key, int velocity);
    void MaskerKeyOff(std::int16_t channel, int key);

    // How loud a run's question sounds now, as a factor of the trainer's
    // velocity; asked at each note-on of a run, never for the drill. Unset:
    // the trainer's velocity throughout.
    void setQuestionLoudness(std::function<double()> loudness) {
        questionLoudness_ = std::move(loudness);
    }

private:
    void send(std::uint32_t message);
    int velocity() const;

    Panel& panel_;
    TrainerState& state_;
    std::function<double()> questionLoudness_;
};

}  // namespace velmora
