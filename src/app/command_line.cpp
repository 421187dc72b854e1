// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "text/printable.h"

namespace velmora {

namespace {

// Qt's own options that take a value, and those that do not.
constexpr std::array<std::string_view, 13> kToolkitOptionsWithValue = {"-platform",
                                                                       "-platformpluginpath",
                                                                       "-platformtheme",
                                                                       "-plugin",
                                                                       "-qwindowgeometry",
                                                                       "-qwindowicon",
                                                                       "-qwindowtitle",
                                                                       "-display",
                                                                       "-geometry",
                                                                       "-style",
                                                                       "-stylesheet",
                                                                       "-session",
                                                                       "-title"};
constexpr std::array<std::string_view, 5> kToolkitFlags = {"-reverse", "-nograb", "-dograb",
                                                           "-sync", "-widgetcount"};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& list, std::string_view word) {
    return std::find(list.begin(), list.end(), word) != list.end();
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& arguments) {
    ParseResult result;
    Options& options = result.options;

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string word = arguments[i];
        std::optional<std::string> attached;  // --name=value
        if (word.rfind("--", 0) == 0) {
            if (const auto eq = word.find('='); eq != std::string::npos) {
                attached = word.substr(eq + 1);
                word.erase(eq);
            }
        }
        auto value = [&](std::string& out) {
            if (attached) {
                out = *attached;
                return true;
            }
            if (i + 1 >= arguments.size()) {
                result.error = "option " + Quoted(word) + " needs a value";
                return false;
            }
            out = arguments[++i];
            return true;
        };
        auto flag = [&](bool& out) {
            if (attached) {
                result.error = "option " + Quoted(word) + " takes no value";
                return false;
            }
            out = true;
            return true;
        };

        std::string text;
        bool ok = true;
        if (word == "--soundfont" || word == "-F") {
            if ((ok = value(text))) options.sound.soundFont = text;
        } else if (word == "--audio-driver" || word == "-a") {
            if ((ok = value(text))) options.sound.audioDriver = text;
        } else if (word == "--midi-out") {
            if ((ok = value(text))) options.sound.midiOut = text;
        } else if (word == "--midi-in") {
            if ((ok = value(text)) && text.empty()) {
                result.error =
                    "option " + Quoted(word) + " wants a port's number or part of its name";
                ok = false;
            }
            if (ok) options.midiIn = text;
        } else if (word == "--midi-log") {
            if ((ok = value(text))) options.sound.midiLog = text;
        } else if (word == "-o" || word == "--option") {
            if ((ok = value(text))) {
                const auto eq = text.find('=');
                if (eq == std::string::npos || eq == 0) {
                    result.error =
                        "option " + Quoted(word) + " wants name=value, got " + Quoted(text);
                    ok = false;
                } else {
                    options.sound.synthSettings.emplace_back(text.substr(0, eq),
                                                             text.substr(eq + 1));
                }
            }
        } else if (word == "--journal" || word == "--export-journal") {
            if ((ok = value(text)) && text.empty()) {
                result.error = "option " + Quoted(word) + " wants a file name";
                ok = false;
            }
            if (ok) (word == "--journal" ? options.journal : options.exportJournal) = text;
        } else if (word == "--no-journal") {
            ok = flag(options.noJournal);
        } else if (word == "--list-midi-outputs") {
            ok = flag(options.listMidiOutputs);
        } else if (word == "--list-midi-inputs") {
            ok = flag(options.listMidiInputs);
        } else if (word == "--help" || word == "-h") {
            ok = flag(options.help);
        } else if (word == "--version" || word == "-V") {
            ok = flag(options.version);
        } else if (Contains(kToolkitOptionsWithValue, word)) {
            options.toolkitArguments.push_back(word);
            if (i + 1 >= arguments.size()) {
                result.error = "option " + Quoted(word) + " needs a value";
                ok = false;
            } else {
                options.toolkitArguments.push_back(arguments[++i]);
            }
        } else if (Contains(kToolkitFlags, word)) {
            options.toolkitArguments.push_back(word);
        } else if (!word.empty() && word[0] == '-') {
            result.error = "unknown option " + Quoted(word);
            ok = false;
        } else {
            result.error = "unexpected argument " + Quoted(word);
            ok = false;
        }
        if (!ok) return result;
    }
    if (options.noJournal && (options.journal || options.exportJournal)) {
        result.error = std::string("option '--no-journal' cannot go with '") +
                       (options.journal ? "--journal" : "--export-journal") + "'";
    }
    return result;
}

std::string UsageText(const std::string& programName) {
    return "Usage: " + programName + R"( [OPTION]...
Ear trainer: hear notes and chords, name their pitches.

Sound output (the built-in synthesizer is used unless --midi-out is given):
  -F, --soundfont FILE      General MIDI SoundFont for the built-in synthesizer
                            (default: the system's, /usr/share/sounds/sf2/default-GM.sf2)
  -a, --audio-driver NAME   audio output of the built-in synthesizer: pulseaudio
                            (the sound server), pulse-stream (only the trainer's
                            own client of it), pipewire, alsa, oss, jack, sdl2,
                            file or any other FluidSynth driver
  -o, --option NAME=VALUE   set any synthesizer setting, e.g. -o audio.period-size=128
      --midi-out PORT       play through an external MIDI port instead
                            (its number or part of its name)
      --list-midi-outputs   list the MIDI outputs and exit
      --midi-log FILE       also write every MIDI message sent to FILE

Answering from a MIDI keyboard (its notes answer as the letter keys do):
      --midi-in PORT        the MIDI input port it is connected to
                            (its number or part of its name)
      --list-midi-inputs    list the MIDI inputs and exit

Practice journal (every answer is kept, by default in
$XDG_DATA_HOME/velmora/journal.sqlite, that is ~/.local/share/velmora/):
      --journal FILE        keep the journal in FILE instead
      --no-journal          keep no journal
      --export-journal FILE.csv
                            write the whole journal to FILE.csv (one answer a
                            row) and exit

  -h, --help                show this help and exit
  -V, --version             show the version and exit

Choices made in the window's Sound and MIDI Input menus are remembered
(~/.config/velmora/velmora.conf); these options override them for one start.

The window toolkit's own options (-platform, -display, -style ...) are accepted too.
)";
}

}  // namespace velmora
