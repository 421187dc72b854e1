// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <string>

namespace velmora {

// FluidSynth, ALSA and GLib (for libinstpatch, which FluidSynth uses) write
// their messages to the terminal unless told otherwise. This catches them,
// process-wide, and keeps FluidSynth's errors so they can be told to the user
// in one line.
void SilenceSoundLibraries();

// Forgets the errors caught so far; call before an operation that may fail.
void ClearSynthErrors();
// FluidSynth's first error since then: the cause, where later ones only say
// what failed because of it. May be empty.
std::string FirstSynthError();
// FluidSynth's latest error (or warning, if no error), without a newline; may be empty.
std::string LastSynthError();

}  // namespace velmora
