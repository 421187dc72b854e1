#pragma once

#include "app/controls.h"

namespace velmora {

// Every control of the main window, with its design-time values.
struct Panel {
    Panel();

    ListControl cboInstrument{"cboInstrument"};
    ListControl lstDuration{"lstDuration"};
    ScrollBar vsbTempo{"vsbTempo", 20, 240, 60};
    Label lblTempo{"lblTempo"};
    Label lblQuestionNumber{"lblQuestionNumber"};
};

}  // namespace velmora
