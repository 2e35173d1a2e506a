#pragma once

#include <cstdint>

// CRC-16/MODBUS of the first `Length` bytes of `Data`: initial value 0xFFFF, reflected
// polynomial 0xA001, no final XOR. Frames carry it low byte first.
std::uint16_t GetCRC(const std::uint8_t* Data, std::int32_t Length);
