// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "model/controls.h"

namespace velmora {

// The window as it was designed: every control's kind, place, texts, colours
// and tab order, in the layout units of the design (twips, 15 to a pixel at
// 96 dpi). The panel takes its texts from here and the window its geometry,
// so each design value is written once.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidthTwips = 10665;
inline constexpr int kClientHeightTwips = 4185;

enum class ControlKind {
    Label,
    Frame,
    Button,
    Picture,
    CheckBox,
    ListBox,
    CheckList,
    ComboBox,
    ScrollBar,
    ListView,
    Timer
};

enum class Shade { Default, LightGreen, White, WindowBackground };

inline constexpr Rgb kLightGreen{192, 255, 192};
inline constexpr Rgb kWhite{255, 255, 255};

// A place in the window or in a frame, in twips.
struct Place {
    int left, top, width, height;
};

struct ControlDesign {
    std::string_view name;  // "cmdAnswerButton(3)" for an element of a control array
    ControlKind kind;
    std::string_view container = {};  // a frame's name, or empty for the window
    Place place;
    int tabOrder = -1;  // -1: takes no focus
    std::string_view caption = {};
    std::string_view toolTip = {};
    Shade shade = Shade::Default;
    bool bold = false;
    double fontPoints = 0;  // 0: the window's default font
    bool border = false;    // a thin border around a label
    bool autoSize = false;  // a label that sizes itself to its text
    bool enabled = true;
};

const std::vector<ControlDesign>& WindowDesign();
// The design of the named control; the name must exist.
const ControlDesign& DesignOf(std::string_view name);

struct ScrollBarDesign {
    std::string_view name;
    int minimum, maximum, value;
};
inline constexpr std::array<ScrollBarDesign, 6> kScrollBarDesign = {{
    {"vsbMinimum", 1, 10, 1},
    {"vsbMaximum", 1, 10, 1},
    {"vsbNoteRange(0)", 21, 108, 36},
    {"vsbNoteRange(1)", 21, 108, 84},
    {"vsbAlottedTimeForExercise", 120, 3599, 300},
    {"vsbTempo", 20, 240, 60},
}};
inline constexpr int kTimerIntervalMs = 1000;

inline constexpr std::string_view kWindowCaption = "Velmora";

inline constexpr std::array<std::string_view, 12> kPitchItems = {"C",  "C#", "D",  "Eb", "E",  "F",
                                                                 "F#", "G",  "Ab", "A",  "Bb", "B"};

inline constexpr std::array<std::string_view, 12> kKeySignatureItems = {
    "C Major  or A minor", "Db Major  or Bb minor", "D Major or  B minor",   "Eb Major or C minor",
    "E Major or C# minor", "F Major or D minor",    "F# Major  or D# minor", "G Major  or E minor",
    "Ab Major or F minor", "A Major  or F# minor",  "Bb Major or G minor",   "B Major or G# minor"};

inline constexpr std::array<std::string_view, 5> kRangePresetCaptions = {
    "88 Key Piano = A0 to C8", "24 fret 6-String guitar E2 to E6",
    "24 fret 7-String guitar B1 to E6", "24 fret 4-String bass = E1 to G4",
    "24 fret 5-String bass = B0 to G4"};

inline constexpr std::string_view kExercisesMenuCaption = "Select Exercise";
inline constexpr std::string_view kRangesMenuCaption = "Preset Instrument Ranges";
inline constexpr std::string_view kShortcutsMenuCaption = "keyboard shortcuts";

}  // namespace velmora
