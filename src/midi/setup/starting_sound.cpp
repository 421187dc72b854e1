// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/setup/starting_sound.h"

#include <algorithm>

#include "midi/external/midi_ports.h"
#include "midi/external/rtmidi_out.h"
#include "midi/soundfont_locator.h"
#include "midi/synth/built_in_synth.h"
#include "text/printable.h"

namespace velmora {

SoundChecks SystemSoundChecks() {
    return {&ListExternalMidiPorts, &AudioOutputChoices, &CheckSoundFontFile};
}

StartingSound ChooseStartingSound(const SoundOptions& given, const SoundOptions& remembered,
                                  const SoundChecks& checks) {
    StartingSound start{given, {}};
    SoundOptions& options = start.options;
    // Whatever plays, at the volume the learner left it.
    if (!given.volume) options.volume = remembered.volume;
    std::string broken;
    if (!given.midiOut && remembered.midiOut && *remembered.midiOut != "0") {
        if (!ChoosePort(checks.midiOutputs(), *remembered.midiOut)) {
            broken = "the MIDI output " + Quoted(*remembered.midiOut) + " is not there";
        }
    }
    if (broken.empty() && !given.soundFont && remembered.soundFont) {
        broken = checks.soundFontProblem(*remembered.soundFont);
    }
    if (broken.empty() && !given.audioDriver && remembered.audioDriver) {
        const std::vector<std::string> drivers = checks.audioOutputs();
        if (std::find(drivers.begin(), drivers.end(), *remembered.audioDriver) == drivers.end()) {
            broken = "the audio output " + Quoted(*remembered.audioDriver) + " is not available";
        }
    }
    if (!broken.empty()) {
        start.problem = "The sound chosen last time does not work (" + broken +
                        "): playing through the built-in synthesizer with the default SoundFont";
        return start;
    }
    if (!given.midiOut) options.midiOut = remembered.midiOut;
    if (!given.soundFont) options.soundFont = remembered.soundFont;
    if (!given.audioDriver) options.audioDriver = remembered.audioDriver;
    return start;
}

}  // namespace velmora
