#pragma once

#include <cstdint>
#include <vector>

// A request as the instrument receives it from the bus master.

enum class RequestKind { Read, Recording, Write };

struct Request {
    RequestKind kind = RequestKind::Read;
    std::uint8_t address = 0;
    std::uint16_t reg = 0;
    std::uint16_t count = 0; // registers read or written
    // Recording request
    std::uint16_t pointsPerCycle = 0;
    std::uint32_t length = 0;
    std::uint8_t voltageRange = 0;
    std::uint8_t currentRange = 0;
    // Write request
    std::vector<std::uint8_t> data;
};

// An answer frame, CRC included.
using Frame = std::vector<std::uint8_t>;
