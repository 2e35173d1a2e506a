#pragma once

#include <cstdint>
#include <span>

#include "request.h"

// The instrument acknowledges a write with function 9, the count of registers written in
// byte 2 and the first register in bytes 3-4, low byte first.
inline constexpr std::size_t WriteAcknowledgeBytes = 7;

// Function-3 answer: address, function, byte count (low 8 bits), payload, CRC.
Frame readAnswer(std::uint8_t address, std::span<const std::uint8_t> payload);

Frame writeAcknowledge(std::uint8_t address, std::uint16_t reg, std::uint16_t registerCount);

// Appends the CRC of the bytes so far, low byte first.
void appendCrc(Frame& frame);

// True when the frame's last two bytes are the CRC of the bytes before them.
bool hasValidCrc(std::span<const std::uint8_t> frame);
