#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "link/crc.h"

namespace {

std::uint16_t crcOf(std::string_view text) {
    return GetCRC(reinterpret_cast<const std::uint8_t*>(text.data()),
                  static_cast<std::int32_t>(text.size()));
}

// The bit-by-bit definition: XOR the byte into the low byte, then eight shifts with the
// reflected polynomial.
std::uint16_t bitwiseCrc(const std::vector<std::uint8_t>& bytes) {
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

TEST(GetCRC, CheckValueOfTheNineDigits) {
    EXPECT_EQ(crcOf("123456789"), 0x4B37);
}

TEST(GetCRC, NoBytesLeavesTheStartValue) {
    EXPECT_EQ(GetCRC(nullptr, 0), 0xFFFF);
}

TEST(GetCRC, CoversOnlyTheGivenLength) {
    const std::uint8_t bytes[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0xAA, 0x55};
    EXPECT_EQ(GetCRC(bytes, 9), 0x4B37);
}

TEST(GetCRC, TableAgreesWithTheBitwiseDefinitionForEveryByteValue) {
    std::vector<std::uint8_t> bytes;
    for (int value = 255; value >= 0; --value) {
        bytes.push_back(static_cast<std::uint8_t>(value));
        ASSERT_EQ(GetCRC(bytes.data(), static_cast<std::int32_t>(bytes.size())), bitwiseCrc(bytes))
            << "after byte " << value;
    }
}

} // namespace
