#include "answer_frames.h"

#include <algorithm>

#include "link/crc.h"
#include "link/register_map.h"

void appendCrc(Frame& frame) {
    const std::uint16_t crc = GetCRC(frame.data(), static_cast<std::int32_t>(frame.size()));
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool hasValidCrc(std::span<const std::uint8_t> frame) {
    if (frame.size() < 4)
        return false;
    const std::size_t body = frame.size() - 2;
    const std::uint16_t crc = GetCRC(frame.data(), static_cast<std::int32_t>(body));
    return frame[body] == (crc & 0xFF) && frame[body + 1] == (crc >> 8);
}

Frame readAnswer(std::uint8_t address, std::span<const std::uint8_t> payload) {
    Frame frame(3 + payload.size());
    frame[0] = address;
    frame[1] = FunctionCode::Read;
    frame[2] = static_cast<std::uint8_t>(payload.size() & 0xFF);
    std::copy(payload.begin(), payload.end(), frame.begin() + 3);
    appendCrc(frame);
    return frame;
}

Frame writeAcknowledge(std::uint8_t address, std::uint16_t reg, std::uint16_t registerCount) {
    Frame frame{address, FunctionCode::WriteAcknowledge,
                static_cast<std::uint8_t>(registerCount & 0xFF),
                static_cast<std::uint8_t>(reg & 0xFF), static_cast<std::uint8_t>(reg >> 8)};
    appendCrc(frame);
    return frame;
}
