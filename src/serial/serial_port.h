#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "serial/comm_types.h"

// One serial device as TComm uses it: opened exclusively, written synchronously and read
// only as far as bytes are queued, so no call waits for the line. Line calls the device
// refuses (a pseudo-terminal has no modem lines) are ignored.
class SerialPort {
public:
    enum class OpenResult {
        Opened,
        Unavailable, // missing, in use or not permitted
        NotALine     // opened, but not a device with line settings and queues
    };

    struct Status {
        std::uint32_t errors = 0; // LineError bits since the previous call
        std::uint32_t queued = 0; // received bytes waiting to be read
    };

    virtual ~SerialPort() = default;

    virtual OpenResult open(const std::string& devicePath) = 0;
    virtual void applyLineSettings(const LineSettings& settings) = 0;

    virtual Status takeStatus() = 0;
    // Reads up to target.size() of the queued bytes; returns how many were read.
    virtual std::size_t read(std::span<std::uint8_t> target) = 0;
    // True when every byte was handed to the device.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;

    virtual void purgeInput() = 0;
    // Drops queued input and output and any write still pending.
    virtual void purgeAll() = 0;

    virtual void setDataTerminalReady(bool on) = 0;
    virtual void setRequestToSend(bool on) = 0;
    // The modem input lines, or nothing when the device cannot report them.
    virtual std::optional<ModemLines> modemLines() = 0;
    // True once the device has gone (unplugged, or the other end of the line hung up).
    virtual bool lost() const = 0;
};
