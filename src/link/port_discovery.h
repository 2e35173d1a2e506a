#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Texts and numbers of the port search and of the port list on the settings page.

// Text inside a port's plug-and-play identity that marks the instrument's USB port.
inline constexpr std::string_view DefaultInstrumentPID = "5737";

// Plug-and-play identity of the simulated instrument's USB port.
inline constexpr std::string_view SimulatedUsbIdentity = "USB\\VID_1209&PID_5737\\VOLTRANE-SIM";

// Ports probed by the search: 1-255.
inline constexpr int HighestPortNumber = 255;

// Instrument USB ports remembered by one search, and how many of them mark list entries.
inline constexpr std::size_t MaxRecognisedPorts = 26;
inline constexpr std::size_t MarkedRecognisedPorts = 11;

// "USB\VID_vvvv&PID_pppp\serial", the identity of a USB serial port (hex, four digits).
std::string usbIdentity(std::uint16_t vendorId, std::uint16_t productId, std::string_view serial);

bool isInstrumentIdentity(std::string_view identity, std::string_view instrumentPid);

// "COM3    " for a port, "COM3         " followed by `usbMarker` for the instrument's USB port.
std::string portListEntry(int number, bool instrumentUsbPort, std::string_view usbMarker);

// The port number of a list entry: characters 4 to 6, trimmed. Empty when they hold no
// number from 1 to 255.
std::optional<int> portNumberOfEntry(std::string_view entry);

// The message shown when the configured port is not found, from its four lines (line
// breaks where the first line is followed by a blank line).
std::string portNotFoundMessage(std::string_view line1, std::string_view line2,
                                std::string_view line3, std::string_view line4);
