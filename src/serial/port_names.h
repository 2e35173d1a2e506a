#pragma once

#include <map>
#include <string>

// Serial ports keep their numbers 1-255 as the console's identity; a number names a device
// through a default rule or through an entry of the [Devices] settings section.
using PortDevicePaths = std::map<int, std::string>;

// The device of port `number`: its entry in `overrides` when that is not empty, else
// 1-32 /dev/ttyS0-31, 33-64 /dev/ttyUSB0-31, 65-96 /dev/ttyACM0-31. Empty when the number
// names no device.
std::string devicePathForPort(int number, const PortDevicePaths& overrides);
