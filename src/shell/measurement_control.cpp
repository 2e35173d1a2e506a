// The measurement and integration buttons of the Measure page.
#include <QProgressBar>

#include "shell/main_window.h"

// Single (mode 0) and continuous (mode 1) measurement start alike.
void TForm1::startMeasurement(std::uint8_t mode) {
    CommunicationType& cycle = Link.Communication_data;
    cycle.Task_flag[TaskMeasurement] = true;
    Link.ReadInstrumentCommand(Link.InstrumentAddress, Register::Measurement,
                               RegisterCount::Measurement);
    sProgressBar1->setValue(0);
    cycle.commBusy = false;
    cycle.Comm_Mode = mode;
    setStatusText(3, dString[20]);
    ui.sSpeedButton4->setEnabled(false);
    ui.sSpeedButton6->setEnabled(false);
    ui.sSpeedButton8->setEnabled(true);
    ReReadTimer.SetEnabled(true);
    Link.UsbConnCounter = Link.UsbResetcount = 0;
}

void TForm1::sSpeedButton6Click() {
    Link.Communication_data.CRC_Equal_flag = true;
    startMeasurement(0);
}

void TForm1::sSpeedButton4Click() {
    startMeasurement(1);
}

void TForm1::sSpeedButton8Click() {
    Link.Communication_data.Comm_Mode = 0;
    ui.sSpeedButton4->setEnabled(true);
    ui.sSpeedButton6->setEnabled(true);
    ui.sSpeedButton8->setEnabled(false);
    ReReadTimer.SetEnabled(false);
}

// At once to register 136 while the link is idle; otherwise queued for the polling cycle.
void TForm1::sendIntegrationCommand(IntegrationCommand command, TaskFlag pending,
                                    CommunicationPointer pointer) {
    CommunicationType& cycle = Link.Communication_data;
    if (!cycle.commBusy) {
        cycle.Task_flag[pending] = true;
        return;
    }
    const std::uint8_t value[2] = {std::uint8_t(command), 0};
    Link.WriteInstrumentBlockByte(Link.InstrumentAddress, Register::IntegrationImmediate, value);
    cycle.commBusy = false;
    cycle.Communication_Pointer = pointer;
}

void TForm1::sSpeedButton7Click() {
    sendIntegrationCommand(IntegrationCommand::Clear, TaskClearIntegration,
                           PointerClearIntegration);
}

void TForm1::sSpeedButton9Click() {
    sendIntegrationCommand(IntegrationCommand::Start, TaskStartIntegration,
                           PointerStartIntegration);
}

void TForm1::sSpeedButton23Click() {
    sendIntegrationCommand(IntegrationCommand::Stop, TaskStopIntegration, PointerStopIntegration);
}
