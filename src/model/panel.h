// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <functional>
#include <string_view>
#include <vector>

#include "model/controls.h"

namespace velmora {

// Every control of the main window as data, with its design-time values.
struct Panel {
    Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // Every control, for views and checks that treat them alike.
    const std::vector<Control*>& controls() const { return controls_; }
    FocusTracker& focus() { return focus_; }
    // The control of that name ("cmdAnswerButton(3)"), or null.
    Control* find(std::string_view name) const;

    ListControl cboInstrument{"cboInstrument"};
    CheckList lstPitch{"lstPitch"};
    ListControl lstStats{"lstStats"};
    ListControl lstResponses{"lstResponses"};
    ListView ListView1{"ListView1"};
    CheckBox chkExcludeExactOctave{"chkExcludeExactOctave"};
    Label lblResult{"lblResult"};

    Frame Frame1{"Frame1"};
    Label lblMinimum{"lblMinimum"};
    ScrollBar vsbMinimum{"vsbMinimum"};
    Label lblMaximum{"lblMaximum"};
    ScrollBar vsbMaximum{"vsbMaximum"};

    Frame Frame2{"Frame2"};
    std::array<Label, 2> lblNoteRange{Label{"lblNoteRange(0)"}, Label{"lblNoteRange(1)"}};
    std::array<ScrollBar, 2> vsbNoteRange{ScrollBar{"vsbNoteRange(0)"},
                                          ScrollBar{"vsbNoteRange(1)"}};
    Label Label1{"Label1"};

    Frame Frame3{"Frame3"};
    Label lblTimeElapsed{"lblTimeElapsed"};
    Label lblPracticeTime{"lblPracticeTime"};
    ScrollBar vsbAlottedTimeForExercise{"vsbAlottedTimeForExercise"};
    TimerControl Timer1{"Timer1"};

    Frame Frame4{"Frame4"};
    Label Label2{"Label2"};
    ListControl lstKeySignature{"lstKeySignature"};
    std::array<Button, 12> cmdAnswerButton{
        Button{"cmdAnswerButton(0)"}, Button{"cmdAnswerButton(1)"},  Button{"cmdAnswerButton(2)"},
        Button{"cmdAnswerButton(3)"}, Button{"cmdAnswerButton(4)"},  Button{"cmdAnswerButton(5)"},
        Button{"cmdAnswerButton(6)"}, Button{"cmdAnswerButton(7)"},  Button{"cmdAnswerButton(8)"},
        Button{"cmdAnswerButton(9)"}, Button{"cmdAnswerButton(10)"}, Button{"cmdAnswerButton(11)"}};
    Label lblNoteInput{"lblNoteInput"};
    Button cmdEraseAnswer{"cmdEraseAnswer"};

    Frame Frame5{"Frame5"};
    Button cmdPlay{"cmdPlay"};
    Button cmdPlayStop{"cmdPlayStop"};
    Picture pic_Repeat_1_Note{"pic_Repeat_1_Note"};
    CheckBox chkShepard{"chkShepard"};
    Label lblQuestionNumber{"lblQuestionNumber"};

    Frame Frame6{"Frame6"};
    ListControl lstDuration{"lstDuration"};
    Label Label3{"Label3"};
    Label lblTempo{"lblTempo"};
    ScrollBar vsbTempo{"vsbTempo"};

    Menu mnuDefaultExercises{"mnuDefaultExercises"};
    std::array<MenuItem, 22> mnuSelectExercise = MakeItems<22>("mnuSelectExercise");
    Menu mnuRange{"mnuRange"};
    std::array<MenuItem, 5> mnuSetRange = MakeItems<5>("mnuSetRange");
    Menu mnuKeyboardShortcuts{"mnuKeyboardShortcuts"};
    std::array<MenuItem, 12> mnu_keyshortcut = MakeItems<12>("mnu_keyshortcut");

private:
    template <std::size_t N>
    static std::array<MenuItem, N> MakeItems(const char* name) {
        return MakeItems<N>(name, std::make_index_sequence<N>());
    }
    template <std::size_t N, std::size_t... I>
    static std::array<MenuItem, N> MakeItems(const char* name, std::index_sequence<I...>) {
        return {MenuItem{std::string(name) + "(" + std::to_string(I) + ")"}...};
    }

    void applyDesign();

    std::vector<Control*> controls_;
    FocusTracker focus_;
};

}  // namespace velmora
