#include "serial/qt_serial_port.h"

#include <QDeadlineTimer>
#include <QString>

#include <sys/ioctl.h>

namespace {

// How long a write waits for the device to take its bytes; the console's frames are short,
// and bytes not taken by then are still sent from the event loop.
constexpr int WriteTimeoutMs = 1000;

QSerialPort::Parity qtParity(TParity parity) {
    switch (parity) {
    case TParity::Odd:
        return QSerialPort::OddParity;
    case TParity::Even:
        return QSerialPort::EvenParity;
    case TParity::Mark:
        return QSerialPort::MarkParity;
    case TParity::Space:
        return QSerialPort::SpaceParity;
    case TParity::None:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits qtStopBits(TStopBits stopBits) {
    switch (stopBits) {
    case TStopBits::SB1_5:
        return QSerialPort::OneAndHalfStop;
    case TStopBits::SB2:
        return QSerialPort::TwoStop;
    case TStopBits::SB1:
        break;
    }
    return QSerialPort::OneStop;
}

// QSerialPort offers one flow control at a time; RTS/CTS wins over XON/XOFF.
QSerialPort::FlowControl qtFlowControl(const LineSettings& settings) {
    if (settings.rtsCtsFlow)
        return QSerialPort::HardwareControl;
    return settings.xonXoffFlow ? QSerialPort::SoftwareControl : QSerialPort::NoFlowControl;
}

std::uint32_t bitIfCountChanged(int before, int now, std::uint32_t bit) {
    return before != now ? bit : 0;
}

} // namespace

// A device that has gone keeps signalling; it is closed at the first error so that nothing
// spins on it, and the owner finds it lost at its next look.
QtSerialPort::QtSerialPort() {
    QObject::connect(&port_, &QSerialPort::errorOccurred,
                     [this](QSerialPort::SerialPortError error) {
                         if (error == QSerialPort::ResourceError && port_.isOpen()) {
                             lost_ = true;
                             port_.close();
                         }
                     });
}

SerialPort::OpenResult QtSerialPort::open(const std::string& devicePath) {
    if (devicePath.empty())
        return OpenResult::Unavailable;
    port_.setPortName(QString::fromStdString(devicePath));
    if (port_.open(QIODevice::ReadWrite)) {
        ::ioctl(port_.handle(), TIOCGICOUNT, &errorCounts_); // report errors from now on
        return OpenResult::Opened;
    }
    // QSerialPort fails this way when the device opened but has no line settings.
    return port_.error() == QSerialPort::UnsupportedOperationError ? OpenResult::NotALine
                                                                   : OpenResult::Unavailable;
}

void QtSerialPort::applyLineSettings(const LineSettings& settings) {
    port_.setBaudRate(static_cast<qint32>(settings.baudRate));
    port_.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits));
    port_.setParity(qtParity(settings.parity));
    port_.setStopBits(qtStopBits(settings.stopBits));
    port_.setFlowControl(qtFlowControl(settings));
    // The modem outputs are part of the line settings: DTR off, RTS as the handshake says.
    port_.setDataTerminalReady(false);
    if (!settings.rtsCtsFlow)
        port_.setRequestToSend(settings.rtsRaised);
}

SerialPort::Status QtSerialPort::takeStatus() {
    return {takeLineErrors(), static_cast<std::uint32_t>(port_.bytesAvailable()) + driverQueued()};
}

std::size_t QtSerialPort::read(std::span<std::uint8_t> target) {
    // Bytes still in the driver's queue reach QSerialPort's buffer through a notification.
    if (port_.bytesAvailable() < static_cast<qint64>(target.size()))
        port_.waitForReadyRead(0);
    const qint64 count =
        port_.read(reinterpret_cast<char*>(target.data()), static_cast<qint64>(target.size()));
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

bool QtSerialPort::write(std::span<const std::uint8_t> bytes) {
    const auto size = static_cast<qint64>(bytes.size());
    return port_.write(reinterpret_cast<const char*>(bytes.data()), size) == size &&
           waitUntilWritten();
}

void QtSerialPort::purgeInput() {
    port_.clear(QSerialPort::Input);
}

void QtSerialPort::purgeAll() {
    port_.clear(QSerialPort::AllDirections);
}

void QtSerialPort::setDataTerminalReady(bool on) {
    port_.setDataTerminalReady(on);
}

void QtSerialPort::setRequestToSend(bool on) {
    port_.setRequestToSend(on);
}

std::optional<ModemLines> QtSerialPort::modemLines() {
    port_.clearError();
    const QSerialPort::PinoutSignals pins = port_.pinoutSignals();
    if (port_.error() != QSerialPort::NoError)
        return std::nullopt;
    ModemLines lines;
    lines.carrierDetect = pins.testFlag(QSerialPort::DataCarrierDetectSignal);
    lines.dataSetReady = pins.testFlag(QSerialPort::DataSetReadySignal);
    lines.ring = pins.testFlag(QSerialPort::RingIndicatorSignal);
    lines.clearToSend = pins.testFlag(QSerialPort::ClearToSendSignal);
    return lines;
}

std::uint32_t QtSerialPort::driverQueued() const {
    int count = 0;
    if (::ioctl(port_.handle(), FIONREAD, &count) != 0 || count < 0)
        return 0;
    return static_cast<std::uint32_t>(count);
}

// The driver counts line errors since it started; the flags are those counted since the
// previous call. Devices without counters (pseudo-terminals) report none.
std::uint32_t QtSerialPort::takeLineErrors() {
    serial_icounter_struct counts{};
    if (::ioctl(port_.handle(), TIOCGICOUNT, &counts) != 0)
        return 0;
    const std::uint32_t errors =
        bitIfCountChanged(errorCounts_.buf_overrun, counts.buf_overrun, LineErrorQueueOverflow) |
        bitIfCountChanged(errorCounts_.overrun, counts.overrun, LineErrorOverrun) |
        bitIfCountChanged(errorCounts_.parity, counts.parity, LineErrorParity) |
        bitIfCountChanged(errorCounts_.frame, counts.frame, LineErrorFraming) |
        bitIfCountChanged(errorCounts_.brk, counts.brk, LineErrorBreak);
    errorCounts_ = counts;
    return errors;
}

bool QtSerialPort::waitUntilWritten() {
    const QDeadlineTimer deadline(WriteTimeoutMs);
    while (port_.bytesToWrite() > 0)
        if (!port_.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            return false;
    return true;
}
