// Taking the instrument's answers, and the polling cycle that keeps measurements coming.
#include <QProgressBar>
#include <QThread>

#include <cstring>

#include "base/date_time.h"
#include "record/frame_record.h"
#include "serial/comm.h"
#include "shell/dialogs.h"
#include "shell/frame_options.h"
#include "shell/main_window.h"

namespace {

constexpr unsigned long CommandPauseMs = 50;
constexpr int UsbWatchdogInterval = 100;

// The receive event's wait before it looks at the queue, by baud rate.
unsigned long receiveWaitMs(TBaudRate rate) {
    switch (rate) {
    case TBaudRate::br4800:
        return 500;
    case TBaudRate::br9600:
        return 250;
    case TBaudRate::br14400:
        return 75;
    default:
        return 0;
    }
}

} // namespace

// Every event takes what is queued and cuts it into answers: each whole answer is decoded
// once, as soon as it is complete, and damaged bytes count as a failed check. An answer
// still arriving waits for the next event; once two events in a row have seen the same
// number of bytes queued the line is quiet, and what cannot be an answer any more is
// given up.
void TForm1::Comm1ReceiveData() {
    CommunicationType& cycle = Link.Communication_data;
    if (Link.CommPortType == 1)
        Link.UsbConnCounter = Link.UsbResetcount = 0;
    if (const unsigned long wait = receiveWaitMs(Comm1.BaudRate()); wait > 0)
        QThread::msleep(wait);
    const auto count = static_cast<std::int32_t>(Comm1.DataCount2());
    const bool lineQuiet = count == cycle.Old_Comm1_DataCount;
    cycle.Old_Comm1_DataCount = count;
    // A backlog beyond the read buffer is discarded by the port, which then hands back its
    // previous read; that read has been taken already.
    const std::uint32_t queued = Comm1.ReadInDataCount();
    const std::uint8_t* bytes = nullptr;
    const std::uint32_t last = Comm1.ReadInputByte(bytes);
    const bool fresh = queued > 0 && queued <= INPUTBUFFERSIZE;
    framer_.setAddresses({Link.InstrumentAddress, BroadcastAddress});
    auto pieces = framer_.add(fresh ? std::span(bytes, std::size_t(last) + 1)
                                    : std::span<const std::uint8_t>());
    const auto settled = framer_.settle(std::size_t(std::max(cycle.MaxRxByte, 0)), lineQuiet);
    pieces.insert(pieces.end(), settled.begin(), settled.end());
    if (Record_RUN == 0 && framer_.pending() > 0) {
        sProgressBar1->setMaximum(cycle.MaxRxByte);
        sProgressBar1->setValue(int(framer_.pending()));
    }
    for (const AnswerFramer::Piece& piece : pieces) {
        if (piece.intact)
            takeAnswer(piece.bytes);
        else
            answerFailed();
    }
}

void TForm1::answerFailed() {
    Continuous_Read_Timer.SetEnabled(true);
    Link.Communication_data.CRC_Equal_flag = false;
    if (Record_RUN == 1) {
        sSpeedButton25Click();
        showInformation(QStringLiteral("Communication error, please restart!"));
    }
}

void TForm1::takeAnswer(std::span<const std::uint8_t> answer) {
    std::copy(answer.begin(), answer.end(), Link.ByteRecieve.begin());
    Link.Communication_data.CRC_Equal_flag = true;
    if (answer[1] == FunctionCode::Read)
        dispatchRead(answer.size());
    else if (answer[1] == FunctionCode::WriteAcknowledge)
        dispatchAcknowledge();
    Continuous_Read_Timer.SetEnabled(true);
}

void TForm1::dispatchRead(std::size_t length) {
    const std::uint8_t* payload = Link.ByteRecieve.data() + 3;
    switch (length) {
    case AnswerLength::RecordingHeader:
        takeRecordingHeader();
        break;
    case AnswerLength::Settings:
        std::memcpy(&Instrument_SetData, payload, SettingsReadBytes);
        break;
    case AnswerLength::Measurement:
        takeMeasurement();
        break;
    case AnswerLength::RecordingPacket:
        takeRecordingPacket();
        break;
    default:
        break;
    }
}

void TForm1::takeMeasurement() {
    std::memcpy(&Sampling_Data, Link.ByteRecieve.data() + 3, MeasurementPayloadBytes);
    Sampling_Data.TestTime = currentDateTime();
    Timer_UpdataDisplay.SetEnabled(true);
    setStatusText(3, dString[14]);
    ReReadTimer.SetEnabled(false);
}

void TForm1::takeRecordingHeader() {
    std::memcpy(&RecordHeader, Link.ByteRecieve.data() + 3, sizeof RecordHeader);
    i_shift = 0;
    sProgressBar1->setValue(0);
    RecordData->U1Gene = RecordHeader.U1Gene;
    RecordData->I1Gene = RecordHeader.I1Gene;
    RecordData->RecordDateTime = currentDateTime();
    if (Link.CommPortType == 1)
        Norvane_Connection_Timer1.SetEnabled(false);
}

// A packet that would not fit the record's arrays is dropped, also when the instrument
// sends more than was asked for.
void TForm1::takeRecordingPacket() {
    std::memcpy(&RecordInstrumentData, Link.ByteRecieve.data() + 3, sizeof RecordInstrumentData);
    if (std::size_t(i_shift) + PacketSamples > RecordCapacity)
        return;
    std::memcpy(RecordData->U1_Sampling + i_shift, RecordInstrumentData.u1_Sampling,
                sizeof RecordInstrumentData.u1_Sampling);
    std::memcpy(RecordData->I1_Sampling + i_shift, RecordInstrumentData.i1_Sampling,
                sizeof RecordInstrumentData.i1_Sampling);
    i_shift += PacketSamples;
    RecordData->Total_Record_quantity = i_shift;
    sProgressBar1->setMaximum(int(Record_Length) - 1);
    sProgressBar1->setValue(int(i_shift));
    Link.UsbConnCounter = Link.UsbResetcount = 0;
    setStatusText(3, QStringLiteral("Total Sampling Points: %1").arg(i_shift));
    setStatusText(
        4, QStringLiteral("Total Sample Packet: %1").arg(RecordInstrumentData.PackNumber + 1));
    if (i_shift >= Record_Length) {
        Record_RUN = 0;
        ui.sSpeedButton24->setEnabled(true);
        if (Link.CommPortType == 1) {
            Frame_Options->Timer1.SetInterval(UsbWatchdogInterval);
            Norvane_Connection_Timer1.SetEnabled(true);
        }
        setStatusText(4, hString[15]);
    }
    RecordData->Point_Start = RecordData->Total_Record_quantity - RecordData->Display_Number;
    Frame_Record1->Timer_Updata_Record_Display.SetEnabled(true);
    Frame_Record1->ui.sScrollBar1->setMaximum(int(Record_Length));
    Frame_Record1->ui.sScrollBar1->setValue(int(RecordData->Point_Start));
}

void TForm1::dispatchAcknowledge() {
    const std::uint16_t written =
        static_cast<std::uint16_t>(Link.ByteRecieve[3] | Link.ByteRecieve[4] << 8);
    if (written == Register::Settings) {
        setStatusText(3, dString[15]);
        sProgressBar1->setValue(Link.Communication_data.MaxRxByte);
    }
}

void TForm1::Continuous_Read_TimerTimer() {
    CommunicationType& cycle = Link.Communication_data;
    Continuous_Read_Timer.SetEnabled(false);
    cycle.commBusy = true;
    const std::uint8_t address = Link.InstrumentAddress;
    if (!cycle.CRC_Equal_flag) {
        if (cycle.Communication_Pointer == PointerMeasurement) {
            Link.ReadInstrumentCommand(address, Register::Measurement, RegisterCount::Measurement);
            cycle.commBusy = false;
            ReReadTimer.SetEnabled(true);
        }
        return;
    }
    if (cycle.Task_flag[TaskKeepAlive]) {
        cycle.Task_flag[TaskKeepAlive] = false;
        if (Link.CommPortType == 1)
            Link.ReadInstrumentCommand(address, Register::KeepAlive, RegisterCount::KeepAlive);
        QThread::msleep(CommandPauseMs);
    }
    const struct {
        TaskFlag flag;
        IntegrationCommand command;
        CommunicationPointer pointer;
    } queued[] = {{TaskStopIntegration, IntegrationCommand::Stop, PointerStopIntegration},
                  {TaskStartIntegration, IntegrationCommand::Start, PointerStartIntegration},
                  {TaskClearIntegration, IntegrationCommand::Clear, PointerClearIntegration}};
    for (const auto& task : queued) {
        if (!cycle.Task_flag[task.flag])
            continue;
        const std::uint8_t value[2] = {std::uint8_t(task.command), 0};
        Link.WriteInstrumentBlockByte(address, Register::IntegrationDeferred, value);
        cycle.commBusy = false;
        cycle.Communication_Pointer = task.pointer;
        cycle.Task_flag[task.flag] = false;
        QThread::msleep(CommandPauseMs);
    }
    if (!cycle.Task_flag[TaskMeasurement])
        return;
    if (cycle.Comm_Mode == 1) {
        Link.ReadInstrumentCommand(address, Register::Measurement, RegisterCount::Measurement);
        cycle.commBusy = false;
        cycle.Communication_Pointer = PointerMeasurement;
        ReReadTimer.SetEnabled(true);
        setStatusText(3, dString[20]);
    } else {
        ui.sSpeedButton4->setEnabled(true);
        ui.sSpeedButton6->setEnabled(true);
    }
}

void TForm1::ReReadTimerTimer() {
    Link.Communication_data.CRC_Equal_flag = false;
    Continuous_Read_Timer.SetEnabled(true);
}
