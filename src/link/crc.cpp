#include "link/crc.h"

#include <array>

namespace {

constexpr std::array<std::uint16_t, 256> makeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        std::uint16_t crc = static_cast<std::uint16_t>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
        table[byte] = crc;
    }
    return table;
}

constexpr auto crcTable = makeCrcTable();

} // namespace

std::uint16_t GetCRC(const std::uint8_t* Data, std::int32_t Length) {
    std::uint16_t crc = 0xFFFF;
    for (std::int32_t i = 0; i < Length; ++i)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ crcTable[(crc ^ Data[i]) & 0xFF]);
    return crc;
}
