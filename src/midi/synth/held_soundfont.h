// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <fluidsynth/types.h>

#include <memory>
#include <string>

namespace velmora {

// The SoundFont file as it was when loaded, kept readable for FluidSynth.
// With synth.dynamic-sample-loading FluidSynth reads an instrument's samples
// only when the instrument is chosen, opening the file again by name each
// time. A package upgrade replaces the file meanwhile, or a copy truncates it
// in place; FluidSynth then fails to read the samples and plays them all the
// same, which crashes the audio thread. So the file is held open from the
// first load and FluidSynth's loader reads through that handle; its layout
// (all but the samples, a few hundred kB) is kept in memory, and samples
// that are gone read as silence; changed() then says so.
class HeldSoundFont {
public:
    HeldSoundFont();
    ~HeldSoundFont();
    HeldSoundFont(const HeldSoundFont&) = delete;
    HeldSoundFont& operator=(const HeldSoundFont&) = delete;

    // Opens `path`: empty on success, else why not in one line.
    std::string open(const std::string& path);
    // The name to load in FluidSynth once open() succeeded: it stands for
    // the held file, through the loader AddLoader() installs.
    const std::string& name() const { return name_; }
    // The held file has shrunk or been written to since it was opened.
    bool changed() const;

    // Makes `synth` load held files through their handles (other files as
    // usual). Empty on success.
    static std::string AddLoader(fluid_synth_t* synth, fluid_settings_t* settings);

    struct File;

private:
    std::shared_ptr<File> file_;
    std::string name_;
};

}  // namespace velmora
