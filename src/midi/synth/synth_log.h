#pragma once

#include <string>

namespace velmora {

// FluidSynth and ALSA write their messages to the terminal unless told
// otherwise. This catches both, process-wide, and keeps FluidSynth's latest
// error so it can be told to the user in one line.
void SilenceSoundLibraries();

// Forgets the errors caught so far; call before an operation that may fail.
void ClearSynthErrors();
// FluidSynth's latest error (or warning, if no error), without a newline; may be empty.
std::string LastSynthError();

}  // namespace velmora
