#include "serial/comm_types.h"

#include <array>

namespace {

constexpr std::array<std::uint32_t, 14> BaudRatesUpTo115200 = {
    110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 76800, 115200};

std::uint32_t changeBit(bool& held, bool now, std::uint32_t bit) {
    const bool changed = held != now;
    held = now;
    return changed ? bit : 0;
}

} // namespace

std::uint32_t baudRateValue(TBaudRate rate) {
    const auto ordinal = static_cast<std::size_t>(rate);
    return ordinal < BaudRatesUpTo115200.size() ? BaudRatesUpTo115200[ordinal] : 230400;
}

LineSettings lineSettingsFor(TBaudRate baudRate, THWHandShaking hwHandShaking,
                             TSWHandShaking swHandShaking, TDataBits dataBits, TParity parity,
                             TStopBits stopBits) {
    LineSettings settings;
    settings.baudRate = baudRateValue(baudRate);
    settings.dataBits = static_cast<int>(dataBits) + 5;
    settings.parity = parity;
    settings.stopBits = stopBits;
    settings.rtsCtsFlow = hwHandShaking == THWHandShaking::hhRTSCTS;
    settings.rtsRaised = hwHandShaking == THWHandShaking::hhNoneRTSON;
    settings.xonXoffFlow = swHandShaking == TSWHandShaking::shXonXoff;
    return settings;
}

std::uint32_t takeModemLineChanges(ModemLines& held, const ModemLines& now) {
    return changeBit(held.carrierDetect, now.carrierDetect, ME_RLSD) |
           changeBit(held.dataSetReady, now.dataSetReady, ME_DSR) |
           changeBit(held.ring, now.ring, ME_RING) |
           changeBit(held.clearToSend, now.clearToSend, ME_CTS);
}
