// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <chrono>

#include "app/trainer.h"

namespace velmora::bench {

// The timing benchmarks play one-note questions of a 16th at 240 beats per
// minute: 62.5 ms each, the shortest notes the trainer plays. Returns that length.
inline Nanos PlaySixteenthsAt240(Trainer& trainer) {
    constexpr int kTempo = 240;
    constexpr int kSixteenthIndex = 4;
    trainer.panel().vsbTempo.setValue(kTempo);
    trainer.panel().lstDuration.setListIndex(kSixteenthIndex);
    trainer.state().questionNotes = {60};
    return std::chrono::duration_cast<Nanos>(
        std::chrono::duration<double, std::milli>(trainer.playback().noteDurationMs()));
}

}  // namespace velmora::bench
