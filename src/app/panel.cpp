#include "app/panel.h"

#include "app/instrument_names.h"

namespace velmora {

Panel::Panel() {
    cboInstrument.setItems({kInstrumentNames.begin(), kInstrumentNames.end()});
    lstDuration.setToolTip("set the pace of the exercise");
    lblTempo.setCaption("60");
    lblTempo.setToolTip("play tempo / pace");
    lblQuestionNumber.setCaption("Q#");
}

}  // namespace velmora
