#include "link/port_discovery.h"

#include <charconv>
#include <cstdio>

std::string usbIdentity(std::uint16_t vendorId, std::uint16_t productId, std::string_view serial) {
    char ids[32];
    std::snprintf(ids, sizeof ids, "USB\\VID_%04X&PID_%04X\\", vendorId, productId);
    return ids + std::string(serial);
}

bool isInstrumentIdentity(std::string_view identity, std::string_view instrumentPid) {
    return identity.find(instrumentPid) != std::string_view::npos;
}

std::string portListEntry(int number, bool instrumentUsbPort, std::string_view usbMarker) {
    std::string entry = "COM" + std::to_string(number);
    if (instrumentUsbPort)
        return entry + std::string(9, ' ') + std::string(usbMarker);
    return entry + std::string(4, ' ');
}

std::optional<int> portNumberOfEntry(std::string_view entry) {
    std::string_view digits = entry.substr(std::min<std::size_t>(3, entry.size()), 3);
    while (!digits.empty() && digits.front() == ' ')
        digits.remove_prefix(1);
    while (!digits.empty() && digits.back() == ' ')
        digits.remove_suffix(1);
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        number < 1 || number > HighestPortNumber)
        return std::nullopt;
    return number;
}

std::string portNotFoundMessage(std::string_view line1, std::string_view line2,
                                std::string_view line3, std::string_view line4) {
    const std::string indent(15, ' ');
    return std::string(7, ' ') + std::string(line1) + "\n\n" + indent + std::string(line2) + "\n" +
           indent + std::string(line3) + "\n" + indent + std::string(line4) + std::string(7, ' ');
}
