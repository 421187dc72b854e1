// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// Keys typed on the focused answer button of a trainer in a run, mixed with
// the other things a user does meanwhile.

#include <cstdint>
#include <cstdlib>

#include "app/trainer.h"
#include "midi/recording_midi_out.h"
#include "ports/clock_random.h"
#include "ports/manual_scheduler.h"
#include "scoring/answer_entry.h"

using namespace velmora;

namespace {

class FixedClock final : public WallClock {
public:
    TimeOfDay now() const override { return {9, 0, 0}; }
    UtcTime utcNow() const override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordingMidiOut device;
    ManualScheduler clock;
    SilentBeeper beeper;
    ClockRandom random(size);
    FixedClock wallClock;
    Trainer trainer(device, clock, beeper, &random, &wallClock);
    trainer.Form_Load();
    Panel& panel = trainer.panel();
    TrainerState& state = trainer.state();
    panel.cmdPlay.click();

    // Three bytes an action: what, then a 16-bit character code or amount.
    for (std::size_t i = 0; i + 3 <= size; i += 3) {
        const int code = static_cast<std::int16_t>(data[i + 1] | data[i + 2] << 8);
        const int pitchClass = PitchClassOfKey(code);
        if (pitchClass < -1 || pitchClass >= kPitchClasses) std::abort();
        switch (data[i] % 8) {
            case 0:
                panel.cmdPlay.click();
                break;
            case 1:
                clock.advanceBy(std::chrono::milliseconds(data[i + 1] * 50));
                break;
            case 2:
                panel.chkShepard.setChecked(!panel.chkShepard.checked());
                break;
            case 3:
                panel.cmdEraseAnswer.click();
                break;
            default:
                for (Button& button : panel.cmdAnswerButton) {
                    if (button.hasFocus()) button.keyPress(code);
                }
        }
        if (state.responseLogLast + 1 != state.rightCount + state.wrongCount) std::abort();
        if (state.streak < 0 || state.streak > state.rightCount) std::abort();
    }
    trainer.Form_Unload();
    if (!device.sounding.empty() || device.sentWhileClosed != 0) std::abort();
    return 0;
}
