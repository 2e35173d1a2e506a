// Stopping a recording from the Record page.
#include "shell/frame_options.h"
#include "shell/main_window.h"

namespace {
constexpr int UsbWatchdogInterval = 100;
} // namespace

void TForm1::sSpeedButton25Click() {
    Record_RUN = 0;
    Link.ReadInstrumentRecdorCommand(Link.InstrumentAddress, Register::Recording, 0, 0, 0, 0);
    if (Link.CommPortType == 1) {
        Frame_Options->Timer1.SetInterval(UsbWatchdogInterval);
        Norvane_Connection_Timer1.SetEnabled(true);
    }
    ui.sSpeedButton24->setEnabled(true);
    sSpeedButton8Click();
}
