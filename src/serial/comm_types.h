#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

// Types and line-setting rules of the serial port component. The ordinals of every
// enumeration are stored in settings files and indexed by list entries, so they never change.

// pnCOM1 (0) ... pnCOM255 (254): the ordinal plus one is the port number.
enum class TComPortNumber : std::uint8_t { pnCOM1 = 0, pnCOM2 = 1, pnCOM255 = 254 };

constexpr int portNumber(TComPortNumber port) {
    return static_cast<int>(port) + 1;
}

// The port of number 1-255.
constexpr TComPortNumber comPort(int number) {
    return static_cast<TComPortNumber>(number - 1);
}

enum class TBaudRate : std::uint8_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br76800,
    br115200,
    br230400
};

enum class THWHandShaking : std::uint8_t { hhNone, hhNoneRTSON, hhRTSCTS };
enum class TSWHandShaking : std::uint8_t { shNone, shXonXoff };
enum class TDataBits : std::uint8_t { DB5, DB6, DB7, DB8 };
enum class TParity : std::uint8_t { None, Odd, Even, Mark, Space };
enum class TStopBits : std::uint8_t { SB1, SB1_5, SB2 };

// Size of the read buffer; a larger receive backlog is discarded unread.
inline constexpr std::size_t INPUTBUFFERSIZE = 16384;

// Modem-line change bits of OnModemStateChange.
inline constexpr std::uint32_t ME_CTS = 8;
inline constexpr std::uint32_t ME_DSR = 16;
inline constexpr std::uint32_t ME_RLSD = 32;
inline constexpr std::uint32_t ME_RING = 256;

// Receive error bits of CommError and OnReceiveError; like the ME_ bits, their values are
// part of the component's interface.
inline constexpr std::uint32_t LineErrorQueueOverflow = 0x01;
inline constexpr std::uint32_t LineErrorOverrun = 0x02;
inline constexpr std::uint32_t LineErrorParity = 0x04;
inline constexpr std::uint32_t LineErrorFraming = 0x08;
inline constexpr std::uint32_t LineErrorBreak = 0x10;

// A port that cannot be opened or used; the text is shown to the user as it stands.
class ECommError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The line as the port layer applies it.
struct LineSettings {
    std::uint32_t baudRate = 9600;
    int dataBits = 8; // 5-8
    TParity parity = TParity::None;
    TStopBits stopBits = TStopBits::SB1;
    bool rtsCtsFlow = false; // RTS/CTS handshake
    bool rtsRaised = false;  // RTS held on while there is no handshake
    bool xonXoffFlow = false;
};

// Bits per second of `rate`; ordinals past br115200 all give 230400.
std::uint32_t baudRateValue(TBaudRate rate);

LineSettings lineSettingsFor(TBaudRate baudRate, THWHandShaking hwHandShaking,
                             TSWHandShaking swHandShaking, TDataBits dataBits, TParity parity,
                             TStopBits stopBits);

struct ModemLines {
    bool carrierDetect = false;
    bool dataSetReady = false;
    bool ring = false;
    bool clearToSend = false;

    bool operator==(const ModemLines&) const = default;
};

// The ME_ bits of the lines that differ between `held` and `now`; `held` becomes `now`.
std::uint32_t takeModemLineChanges(ModemLines& held, const ModemLines& now);
