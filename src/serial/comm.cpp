#include "serial/comm.h"

#include <QByteArray>
#include <QCoreApplication>

#include <algorithm>
#include <string>

#include "serial/link_logging.h"
#include "serial/qt_serial_port.h"
#include "shell/dialogs.h"

namespace {

constexpr int PollIntervalMs = 100;

constexpr char CannotConnectMessage[] = "  Can not connect the instrument!  ";
constexpr char CannotSetupMessage[] = "Cannot setup comm buffer";
constexpr char NotOpenedMessage[] = "COM Port is not opened yet!";
constexpr char AlreadyOpenMessage[] = "COM Port has been opened!";

// The queued count the previous AfterTrigger tick saw; one for all instances, reset by
// every constructor.
std::int32_t Old_DataCount = 0;

QByteArray hexDump(std::span<const std::uint8_t> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()))
        .toHex(' ');
}

void processMessages() {
    QCoreApplication::processEvents();
}

} // namespace

TComm::TComm(QObject* parent) : QObject(parent) {
    Old_DataCount = 0;
    CommTimer.SetInterval(PollIntervalMs);
    CommTimer.SetOnTimer([this] { ProcTimer(); });
}

void TComm::SetDevicePaths(PortDevicePaths paths) {
    FDevicePaths = std::move(paths);
}

void TComm::SetPortOpen(bool open) {
    if (!open) {
        CloseComm();
    } else if (hComm) {
        showCritical(AlreadyOpenMessage);
    } else {
        OpenComm();
    }
}

void TComm::OpenComm() {
    const std::string path = devicePathForPort(portNumber(FCommPort), FDevicePaths);
    auto port = std::make_unique<QtSerialPort>();
    const SerialPort::OpenResult result = port->open(path);
    if (result != SerialPort::OpenResult::Opened) {
        qCDebug(lcLink) << "COM" << portNumber(FCommPort) << path.c_str() << "not opened";
        throw ECommError(result == SerialPort::OpenResult::NotALine ? CannotSetupMessage
                                                                    : CannotConnectMessage);
    }
    qCDebug(lcLink) << "COM" << portNumber(FCommPort) << path.c_str() << "opened";
    hComm = std::move(port);
    hComm->purgeAll();
    SetCommState();
}

void TComm::CloseComm() {
    if (!hComm)
        return;
    hComm.reset();
    qCDebug(lcLink) << "COM" << portNumber(FCommPort) << "closed";
}

void TComm::SetBaudRate(TBaudRate value) {
    ChangeLineSetting(FBaudRate, value);
}

void TComm::SetHwHandShaking(THWHandShaking value) {
    ChangeLineSetting(FHwHandShaking, value);
}

void TComm::SetSwHandShaking(TSWHandShaking value) {
    ChangeLineSetting(FSwHandShaking, value);
}

void TComm::SetDataBits(TDataBits value) {
    ChangeLineSetting(FDataBits, value);
}

void TComm::SetParity(TParity value) {
    ChangeLineSetting(FParity, value);
}

void TComm::SetStopBits(TStopBits value) {
    ChangeLineSetting(FStopBits, value);
}

template <typename Setting>
void TComm::ChangeLineSetting(Setting& field, Setting value) {
    if (field == value)
        return;
    field = value;
    if (hComm)
        SetCommState();
}

void TComm::SetCommState() {
    const LineSettings settings =
        lineSettingsFor(FBaudRate, FHwHandShaking, FSwHandShaking, FDataBits, FParity, FStopBits);
    qCDebug(lcLink) << "line" << settings.baudRate << "baud," << settings.dataBits << "data bits";
    hComm->applyLineSettings(settings);
}

void TComm::SetInputLen(std::uint32_t value) {
    FInputLen = std::min<std::uint32_t>(value, INPUTBUFFERSIZE);
}

void TComm::SetDTRStatus(bool on) {
    if (!hComm)
        return;
    FDTR = on;
    hComm->setDataTerminalReady(on);
}

void TComm::SetRTSStatus(bool on) {
    if (!hComm)
        return;
    FRTS = on;
    hComm->setRequestToSend(on);
}

std::uint32_t TComm::ReadInDataCount() {
    return hComm ? ClearCommError() : 0;
}

void TComm::SetInDataCount(std::uint32_t value) {
    if (value == 0 && hComm)
        hComm->purgeInput();
}

bool TComm::OutputBlockByte(std::span<const std::uint8_t> ByteData, std::uint32_t Length) {
    if (!hComm)
        return RefuseWrite();
    Send(ByteData.first(std::min<std::size_t>(Length, ByteData.size())));
    return true;
}

bool TComm::OutputByte(std::span<const std::uint8_t> ByteData) {
    if (!hComm)
        return RefuseWrite();
    for (std::size_t i = 0; i < ByteData.size(); ++i)
        Send(ByteData.subspan(i, 1));
    return true;
}

bool TComm::OutputString(const QString& DataToWrite) {
    if (!hComm)
        return RefuseWrite();
    const QByteArray text = DataToWrite.toLatin1();
    return Send({reinterpret_cast<const std::uint8_t*>(text.constData()),
                 static_cast<std::size_t>(text.size())});
}

std::uint32_t TComm::ReadInputByte(const std::uint8_t*& AP) {
    ReadProcess();
    AP = FInputByteData.data();
    return static_cast<std::uint32_t>(FInputByteData.size()) - 1;
}

QString TComm::ReadInputData() {
    ReadProcess();
    return FInputData;
}

void TComm::GetModemState() {
    if (!hComm)
        throw ECommError(NotOpenedMessage);
    FCommEvent = 0;
    if (const std::optional<ModemLines> lines = hComm->modemLines())
        FCommEvent = takeModemLineChanges(FModemLines, *lines);
}

void TComm::ReceiveData() {
    if (FOnReceiveData)
        FOnReceiveData(this);
}

void TComm::ReceiveError(std::uint32_t EvtMask) {
    if (FOnReceiveError)
        FOnReceiveError(this, EvtMask);
}

void TComm::ModemStateChange(std::uint32_t ModemEvent) {
    if (FOnModemStateChange)
        FOnModemStateChange(this, ModemEvent);
}

void TComm::ProcTimer() {
    if (hComm && hComm->lost()) {
        qCDebug(lcLink) << "COM" << portNumber(FCommPort) << "lost";
        CloseComm();
    }
    if (!hComm)
        return;
    MyDataCount = ClearCommError();
    if (FTrigger) {
        if (Old_DataCount != static_cast<std::int32_t>(MyDataCount)) {
            Old_DataCount = static_cast<std::int32_t>(MyDataCount);
            return;
        }
        Old_DataCount = 0;
    }
    if (FRThreshold > 0 && MyDataCount >= FRThreshold)
        ReceiveData();
    // The receive handler may have closed the port; the modem query would then throw out
    // of the timer.
    if (!hComm)
        return;
    GetModemState();
    processMessages();
    if (FCommEvent != 0)
        ModemStateChange(FCommEvent);
    processMessages();
    if (FCommError != 0)
        ReceiveError(FCommError);
    processMessages();
}

void TComm::ReadProcess() {
    if (!hComm)
        return;
    const std::uint32_t queued = ClearCommError();
    if (queued == 0)
        return;
    if (queued > INPUTBUFFERSIZE) {
        qCDebug(lcLink) << "receive backlog of" << queued << "bytes discarded";
        hComm->purgeInput();
        return;
    }
    const std::size_t wanted = FInputLen != 0 ? std::min(FInputLen, queued) : queued;
    const std::size_t count = hComm->read(std::span(szInputBuffer).first(wanted));
    if (count > 0)
        KeepRead(count);
}

void TComm::KeepRead(std::size_t count) {
    const auto bytes = std::span(szInputBuffer).first(count);
    qCDebug(lcLinkFrames).noquote() << "received" << count << hexDump(bytes);
    FInputByteData.assign(bytes.begin(), bytes.end());
    const auto textEnd = std::find(bytes.begin(), bytes.end(), 0);
    FInputData = QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()),
                                     static_cast<qsizetype>(textEnd - bytes.begin()));
}

std::uint32_t TComm::ClearCommError() {
    const SerialPort::Status status = hComm->takeStatus();
    FCommError = status.errors;
    return status.queued;
}

bool TComm::Send(std::span<const std::uint8_t> bytes) {
    qCDebug(lcLinkFrames).noquote() << "sent" << bytes.size() << hexDump(bytes);
    return hComm->write(bytes);
}

bool TComm::RefuseWrite() {
    qCDebug(lcLink) << "write refused: port closed";
    showCritical(NotOpenedMessage);
    return false;
}
