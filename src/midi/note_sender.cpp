// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/note_sender.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "midi/messages.h"
#include "midi/midi_out.h"

namespace velmora {

void NoteSender::SendProgramChange(std::int16_t channel) {
    if (panel_.cboInstrument.listIndex() < 0) panel_.cboInstrument.setListIndex(0);
    state_.instrumentProgram = static_cast<std::int16_t>(panel_.cboInstrument.listIndex());
    send(ComposeShortMessage(kProgramChangeStatus, channel, state_.instrumentProgram, 0));
}

// A note pushed out of 0..127 would spill into the neighbouring byte and become
// a different message, so such notes are not sent at all, on nor off.
void NoteSender::NoteOn(std::int16_t note, std::int16_t channel) {
    const int key = note + state_.noteOffset;
    if (!IsMidiDataByte(key)) return;
    send(ComposeShortMessage(kNoteOnStatus, channel, key, velocity()));
}

int NoteSender::velocity() const {
    const bool question = state_.exerciseRunning && !state_.repeatActive;
    if (!questionLoudness_ || !question || state_.noteVelocity <= 0) return state_.noteVelocity;
    const double factor = questionLoudness_();
    if (factor == 1.0) return state_.noteVelocity;
    return std::clamp(static_cast<int>(std::lround(state_.noteVelocity * factor)), 1, 127);
}

void NoteSender::NoteOff(std::int16_t note, std::int16_t channel) {
    const int key = note + state_.noteOffset;
    if (!IsMidiDataByte(key)) return;
    send(ComposeShortMessage(kNoteOffStatus, channel, key, 0));
}

void NoteSender::SendMaskerProgram(std::int16_t channel, int program) {
    if (IsMidiDataByte(program))
        send(ComposeShortMessage(kProgramChangeStatus, channel, program, 0));
}

void NoteSender::MaskerKeyOn(std::int16_t channel, int key, int velocity) {
    if (IsMidiDataByte(key)) send(ComposeShortMessage(kNoteOnStatus, channel, key, velocity));
}

void NoteSender::MaskerKeyOff(std::int16_t channel, int key) {
    if (IsMidiDataByte(key)) send(ComposeShortMessage(kNoteOffStatus, channel, key, 0));
}

void NoteSender::cboInstrument_Click() {
    panel_.cboInstrument.setToolTip(std::to_string(panel_.cboInstrument.listIndex()));
}

void NoteSender::send(std::uint32_t message) {
    if (state_.midiOutHandle) state_.midiOutHandle->send(message);
}

}  // namespace velmora
