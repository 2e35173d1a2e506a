#pragma once

#include <QSerialPort>

#include <linux/serial.h>

#include "serial/serial_port.h"

// SerialPort on QSerialPort. QSerialPort moves received bytes from the driver into its own
// buffer whenever the event loop runs, so the queued count is that buffer plus the driver's.
class QtSerialPort final : public SerialPort {
public:
    QtSerialPort();

    OpenResult open(const std::string& devicePath) override;
    void applyLineSettings(const LineSettings& settings) override;

    Status takeStatus() override;
    std::size_t read(std::span<std::uint8_t> target) override;
    bool write(std::span<const std::uint8_t> bytes) override;

    void purgeInput() override;
    void purgeAll() override;

    void setDataTerminalReady(bool on) override;
    void setRequestToSend(bool on) override;
    std::optional<ModemLines> modemLines() override;
    bool lost() const override { return lost_; }

private:
    std::uint32_t driverQueued() const;
    std::uint32_t takeLineErrors();
    bool waitUntilWritten();

    QSerialPort port_;
    serial_icounter_struct errorCounts_{};
    bool lost_ = false;
};
