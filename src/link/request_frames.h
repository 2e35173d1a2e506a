#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

// Request frames as the instrument expects them: slave address, function code, header
// fields high byte first, payload bytes exactly as given, CRC low byte first.

inline constexpr std::size_t SendBufferSize = 128;
using SendBuffer = std::array<std::uint8_t, SendBufferSize>;

inline constexpr std::size_t ReadRequestBytes = 8;
inline constexpr std::size_t RecordRequestBytes = 14;
inline constexpr std::size_t WriteRequestOverhead = 9; // header, byte count and CRC
inline constexpr std::size_t MaxWritePayload = SendBufferSize - WriteRequestOverhead;

// A write whose payload does not fit the send buffer.
class FrameTooLongError : public std::length_error {
public:
    using std::length_error::length_error;
};

// Function-3 read of `Length` registers from `DataAddress`; returns the frame length (8).
std::size_t buildReadRequest(SendBuffer& frame, std::uint8_t Address, std::uint16_t DataAddress,
                             std::uint16_t Length);

// Recording request; `Length` is the sample count per channel. Returns 14.
std::size_t buildRecordRequest(SendBuffer& frame, std::uint8_t Address, std::uint16_t DataAddress,
                               std::uint16_t Sampling_Points_Per_Cycle, std::uint32_t Length,
                               std::uint8_t V_RANGE, std::uint8_t I_RANGE);

// Function-0x10 write of `Data` from register `DataAddress`; returns Data.size() + 9.
// Throws FrameTooLongError, leaving `frame` untouched, when the payload exceeds
// MaxWritePayload bytes.
std::size_t buildWriteRequest(SendBuffer& frame, std::uint8_t Address, std::uint16_t DataAddress,
                              std::span<const std::uint8_t> Data);

// Length of the answer to a read of `registerCount` registers.
constexpr std::int32_t readAnswerLength(std::uint16_t registerCount) {
    return registerCount * 2 + 5;
}

// Length of the answer to a recording request of `sampleCount` samples per channel.
constexpr std::int32_t recordAnswerLength(std::uint32_t sampleCount) {
    return static_cast<std::int32_t>(sampleCount * 4u + 8u);
}
