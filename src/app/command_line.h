// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "midi/sound_options.h"

namespace velmora {

struct Options {
    SoundOptions sound;
    // The MIDI input a keyboard answers through: a port's number or part of its name.
    std::optional<std::string> midiIn;
    // The practice journal's file instead of the usual one; none at all.
    std::optional<std::string> journal;
    bool noJournal = false;
    // Write the journal as CSV to this file and exit.
    std::optional<std::string> exportJournal;
    bool listMidiOutputs = false;
    bool listMidiInputs = false;
    bool help = false;
    bool version = false;
    // Options of the window toolkit (-platform offscreen, -display :1 ...),
    // handed on to it untouched.
    std::vector<std::string> toolkitArguments;
};

struct ParseResult {
    Options options;
    std::string error;  // empty when the command line is good
};

// `arguments` excludes the program name.
ParseResult ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText(const std::string& programName);

}  // namespace velmora
