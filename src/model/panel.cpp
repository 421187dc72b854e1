// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "model/panel.h"

#include "model/exercise_table.h"
#include "model/instrument_names.h"
#include "model/window_design.h"

namespace velmora {

namespace {

template <typename Texts>
std::vector<std::string> ToStrings(const Texts& texts) {
    return {texts.begin(), texts.end()};
}

}  // namespace

Panel::Panel() {
    controls_ = {&cboInstrument,   &lstPitch,
                 &lstStats,        &lstResponses,
                 &ListView1,       &chkExcludeExactOctave,
                 &lblResult,       &Frame1,
                 &lblMinimum,      &vsbMinimum,
                 &lblMaximum,      &vsbMaximum,
                 &Frame2,          &lblNoteRange[0],
                 &vsbNoteRange[0], &Label1,
                 &lblNoteRange[1], &vsbNoteRange[1],
                 &Frame3,          &lblTimeElapsed,
                 &lblPracticeTime, &vsbAlottedTimeForExercise,
                 &Timer1,          &Frame4,
                 &Label2,          &lstKeySignature};
    for (Button& button : cmdAnswerButton) controls_.push_back(&button);
    for (Control* control : std::initializer_list<Control*>{
             &lblNoteInput, &cmdEraseAnswer, &Frame5, &cmdPlay, &cmdPlayStop, &pic_Repeat_1_Note,
             &chkShepard, &lblQuestionNumber, &Frame6, &lstDuration, &Label3, &lblTempo, &vsbTempo,
             &mnuDefaultExercises, &mnuRange, &mnuKeyboardShortcuts}) {
        controls_.push_back(control);
    }
    for (MenuItem& item : mnuSelectExercise) controls_.push_back(&item);
    for (MenuItem& item : mnuSetRange) controls_.push_back(&item);
    for (MenuItem& item : mnu_keyshortcut) controls_.push_back(&item);
    for (Control* control : controls_) control->attachFocus(&focus_);
    applyDesign();
}

Control* Panel::find(std::string_view name) const {
    for (Control* control : controls_) {
        if (control->name() == name) return control;
    }
    return nullptr;
}

void Panel::applyDesign() {
    for (const ControlDesign& design : WindowDesign()) {
        if (Control* control = find(design.name)) {
            control->setToolTip(std::string(design.toolTip));
            control->setEnabled(design.enabled);
            if (auto* label = dynamic_cast<Label*>(control)) {
                label->setCaption(std::string(design.caption));
            } else if (auto* captioned = dynamic_cast<Captioned*>(control)) {
                captioned->setCaption(std::string(design.caption));
            }
        }
    }
    for (const ScrollBarDesign& design : kScrollBarDesign) {
        if (auto* bar = dynamic_cast<ScrollBar*>(find(design.name))) {
            bar->setMaximum(design.maximum);
            bar->setMinimum(design.minimum);
            bar->setValue(design.value);
        }
    }
    Timer1.setInterval(kTimerIntervalMs);

    cboInstrument.setItems(ToStrings(kInstrumentNames));
    lstPitch.setItems(ToStrings(kPitchItems));
    lstKeySignature.setItems(ToStrings(kKeySignatureItems));

    mnuDefaultExercises.setCaption(std::string(kExercisesMenuCaption));
    for (std::size_t i = 0; i < mnuSelectExercise.size(); ++i) {
        mnuSelectExercise[i].setCaption(std::string(kExercises[i].caption));
    }
    mnuRange.setCaption(std::string(kRangesMenuCaption));
    for (std::size_t i = 0; i < mnuSetRange.size(); ++i) {
        mnuSetRange[i].setCaption(std::string(kRangePresetCaptions[i]));
    }
    mnuKeyboardShortcuts.setCaption(std::string(kShortcutsMenuCaption));
    for (std::size_t i = 0; i < mnu_keyshortcut.size(); ++i) {
        mnu_keyshortcut[i].setCaption(std::string(kPitchItems[i]));
    }
}

}  // namespace velmora
