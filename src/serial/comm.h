#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "serial/comm_types.h"
#include "serial/port_names.h"
#include "serial/serial_port.h"
#include "shell/vcl_timer.h"

class TComm;

using TReceiveDataEvent = std::function<void(TComm* Sender)>;
using TReceiveErrorEvent = std::function<void(TComm* Sender, std::uint32_t EventMask)>;
using TModemStateChangeEvent = std::function<void(TComm* Sender, std::uint32_t ModemEvent)>;

// The console's serial port. A 100 ms poll on the GUI thread looks at the receive queue and
// calls OnReceiveData while at least RThreshold bytes wait there; the handler reads them
// with ReadInputByte. Writes are synchronous. Opening errors are ECommError exceptions; a
// write to a closed port shows "COM Port is not opened yet!" and returns false. No thread
// and no lock: the tick, the handlers and every caller run on the GUI thread.
class TComm : public QObject {
    Q_OBJECT

public:
    explicit TComm(QObject* parent = nullptr);

    // The port to open; a change takes effect at the next open.
    TComPortNumber CommPort() const { return FCommPort; }
    void SetCommPort(TComPortNumber port) { FCommPort = port; }
    // Devices of the port numbers that do not follow the default rule of devicePathForPort.
    void SetDevicePaths(PortDevicePaths paths);

    bool PortOpen() const { return hComm != nullptr; }
    // true: opens the port (ECommError when it cannot be opened), or shows
    // "COM Port has been opened!" when it is open already. false: closes it.
    void SetPortOpen(bool open);
    void OpenComm();
    void CloseComm();

    // Line settings. A setter stores a value that differs from the current one and, while
    // the port is open, applies the whole line again at once.
    TBaudRate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate value);
    THWHandShaking HwHandShaking() const { return FHwHandShaking; }
    void SetHwHandShaking(THWHandShaking value);
    TSWHandShaking SwHandShaking() const { return FSwHandShaking; }
    void SetSwHandShaking(TSWHandShaking value);
    TDataBits DataBits() const { return FDataBits; }
    void SetDataBits(TDataBits value);
    TParity Parity() const { return FParity; }
    void SetParity(TParity value);
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits value);

    // Modem-line changes (ME_ bits) and receive errors (LineError bits) of the last look.
    std::uint32_t ReadCommEvent() const { return FCommEvent; }
    std::uint32_t ReadCommError() const { return FCommError; }

    // Bytes per read; 0 reads all that are queued. Values above INPUTBUFFERSIZE are
    // clamped to it, the size of the read buffer.
    std::uint32_t InputLen() const { return FInputLen; }
    void SetInputLen(std::uint32_t value);

    // Queued bytes that make the poll call OnReceiveData; 0 never calls it.
    std::uint32_t RThreshold() const { return FRThreshold; }
    void SetRThreshold(std::uint32_t value) { FRThreshold = value; }

    // With AfterTrigger the poll calls no handler until two ticks in a row see the same
    // queued count, so a frame still arriving is not cut.
    bool AfterTrigger() const { return FTrigger; }
    void SetAfterTrigger(bool value) { FTrigger = value; }

    bool ReadCDHolding() const { return FModemLines.carrierDetect; }
    bool ReadDSRHolding() const { return FModemLines.dataSetReady; }
    bool ReadRIHolding() const { return FModemLines.ring; }
    bool ReadCTSHolding() const { return FModemLines.clearToSend; }

    // Output lines; set only while the port is open, otherwise the call changes nothing.
    bool DTREnabled() const { return FDTR; }
    void SetDTRStatus(bool on);
    bool RTSEnabled() const { return FRTS; }
    void SetRTSStatus(bool on);

    // The bytes queued now (0 while closed); writing 0 discards them, other values nothing.
    std::uint32_t ReadInDataCount();
    void SetInDataCount(std::uint32_t value);
    // The bytes queued at the last poll tick.
    std::uint32_t DataCount2() const { return MyDataCount; }

    void SetOnReceiveData(TReceiveDataEvent handler) { FOnReceiveData = std::move(handler); }
    void SetOnReceiveError(TReceiveErrorEvent handler) { FOnReceiveError = std::move(handler); }
    void SetOnModemStateChange(TModemStateChangeEvent handler) {
        FOnModemStateChange = std::move(handler);
    }

    // Writes the first Length bytes of ByteData (never more than it holds) in one call;
    // true whenever the port is open.
    bool OutputBlockByte(std::span<const std::uint8_t> ByteData, std::uint32_t Length);
    // Writes every byte with a call of its own; true whenever the port is open.
    bool OutputByte(std::span<const std::uint8_t> ByteData);
    // Writes the text as Latin-1 (other characters become '?'); true when it was written.
    bool OutputString(const QString& DataToWrite);

    // Reads what is queued, then sets AP to the bytes of the last read and returns the
    // index of the last one: the count minus one, 0xFFFFFFFF while nothing has been read.
    // A closed port, an empty queue or a discarded backlog leave the last read as it was.
    std::uint32_t ReadInputByte(const std::uint8_t*& AP);
    // Reads like ReadInputByte and returns the last read as Latin-1 text up to its
    // first zero byte.
    QString ReadInputData();

    // Looks at the modem lines and sets CommEvent to the lines that changed; throws
    // ECommError while the port is closed.
    void GetModemState();

    void ReceiveData();
    void ReceiveError(std::uint32_t EvtMask);
    void ModemStateChange(std::uint32_t ModemEvent);

private:
    friend class CommPollControl; // lets a test stop CommTimer and run the ticks itself

    void ProcTimer();
    void ReadProcess();
    void KeepRead(std::size_t count);
    std::uint32_t ClearCommError();
    void SetCommState();
    template <typename Setting>
    void ChangeLineSetting(Setting& field, Setting value);
    bool Send(std::span<const std::uint8_t> bytes);
    bool RefuseWrite();

    VclTimer CommTimer;
    std::array<std::uint8_t, INPUTBUFFERSIZE> szInputBuffer{};
    std::unique_ptr<SerialPort> hComm; // null while closed
    PortDevicePaths FDevicePaths;
    TComPortNumber FCommPort = TComPortNumber::pnCOM2;
    TBaudRate FBaudRate = TBaudRate::br9600;
    THWHandShaking FHwHandShaking = THWHandShaking::hhNone;
    TSWHandShaking FSwHandShaking = TSWHandShaking::shNone;
    TDataBits FDataBits = TDataBits::DB8;
    TParity FParity = TParity::None;
    TStopBits FStopBits = TStopBits::SB1;
    std::uint32_t FInputLen = 0;
    std::uint32_t FRThreshold = 0;
    bool FTrigger = false;
    bool FDTR = false;
    bool FRTS = false;
    QString FInputData;
    std::vector<std::uint8_t> FInputByteData;
    std::uint32_t FCommEvent = 0;
    std::uint32_t FCommError = 0;
    ModemLines FModemLines;
    std::uint32_t MyDataCount = 0;
    TReceiveDataEvent FOnReceiveData;
    TReceiveErrorEvent FOnReceiveError;
    TModemStateChangeEvent FOnModemStateChange;
};
