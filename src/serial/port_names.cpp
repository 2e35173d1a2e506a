#include "serial/port_names.h"

#include <array>
#include <string_view>

namespace {

constexpr int PortsPerFamily = 32;
constexpr std::array<std::string_view, 3> DeviceFamilies = {"/dev/ttyS", "/dev/ttyUSB",
                                                            "/dev/ttyACM"};

std::string defaultDevicePath(int number) {
    if (number < 1)
        return {};
    const auto family = static_cast<std::size_t>((number - 1) / PortsPerFamily);
    if (family >= DeviceFamilies.size())
        return {};
    return std::string(DeviceFamilies[family]) + std::to_string((number - 1) % PortsPerFamily);
}

} // namespace

std::string devicePathForPort(int number, const PortDevicePaths& overrides) {
    const auto entry = overrides.find(number);
    if (entry != overrides.end() && !entry->second.empty())
        return entry->second;
    return defaultDevicePath(number);
}
