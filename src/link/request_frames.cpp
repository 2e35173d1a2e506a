#include "link/request_frames.h"

#include <algorithm>
#include <string>

#include "link/crc.h"
#include "link/register_map.h"

namespace {

void putHighFirst16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 8);
    at[1] = static_cast<std::uint8_t>(value);
}

// Appends the CRC of the first `length` bytes, low byte first; returns the frame length.
std::size_t sealFrame(SendBuffer& frame, std::size_t length) {
    std::uint16_t crc = GetCRC(frame.data(), static_cast<std::int32_t>(length));
    frame[length] = static_cast<std::uint8_t>(crc);
    frame[length + 1] = static_cast<std::uint8_t>(crc >> 8);
    return length + 2;
}

} // namespace

std::size_t buildReadRequest(SendBuffer& frame, std::uint8_t Address, std::uint16_t DataAddress,
                             std::uint16_t Length) {
    frame[0] = Address;
    frame[1] = FunctionCode::Read;
    putHighFirst16(&frame[2], DataAddress);
    putHighFirst16(&frame[4], Length);
    return sealFrame(frame, 6);
}

std::size_t buildRecordRequest(SendBuffer& frame, std::uint8_t Address, std::uint16_t DataAddress,
                               std::uint16_t Sampling_Points_Per_Cycle, std::uint32_t Length,
                               std::uint8_t V_RANGE, std::uint8_t I_RANGE) {
    frame[0] = Address;
    frame[1] = FunctionCode::Read;
    putHighFirst16(&frame[2], DataAddress);
    putHighFirst16(&frame[4], Sampling_Points_Per_Cycle);
    putHighFirst16(&frame[6], static_cast<std::uint16_t>(Length >> 16));
    putHighFirst16(&frame[8], static_cast<std::uint16_t>(Length));
    frame[10] = V_RANGE;
    frame[11] = I_RANGE;
    return sealFrame(frame, 12);
}

std::size_t buildWriteRequest(SendBuffer& frame, std::uint8_t Address, std::uint16_t DataAddress,
                              std::span<const std::uint8_t> Data) {
    if (Data.size() > MaxWritePayload)
        throw FrameTooLongError("a write of " + std::to_string(Data.size()) +
                                " bytes does not fit the send buffer (at most " +
                                std::to_string(MaxWritePayload) + " bytes)");
    frame[0] = Address;
    frame[1] = FunctionCode::Write;
    putHighFirst16(&frame[2], DataAddress);
    frame[4] = 0;
    frame[5] = static_cast<std::uint8_t>(Data.size() / 2);
    frame[6] = static_cast<std::uint8_t>(Data.size());
    std::copy(Data.begin(), Data.end(), frame.begin() + 7);
    return sealFrame(frame, 7 + Data.size());
}
