#include "link/communication.h"

#include "serial/comm.h"

namespace {
constexpr std::int32_t Sent = -1;
constexpr std::int32_t PortClosed = 0;
} // namespace

std::int32_t Communication::send(std::size_t length) {
    Comm1.OutputBlockByte(SentBuff, static_cast<std::uint32_t>(length));
    return Sent;
}

std::int32_t Communication::ReadInstrumentCommand(std::uint8_t Address, std::uint16_t DataAddress,
                                                  std::uint16_t Length) {
    if (!Comm1.PortOpen())
        return PortClosed;
    Communication_data.MaxRxByte = readAnswerLength(Length);
    return send(buildReadRequest(SentBuff, Address, DataAddress, Length));
}

std::int32_t Communication::ReadInstrumentRecdorCommand(std::uint8_t Address,
                                                        std::uint16_t DataAddress,
                                                        std::uint16_t Sampling_Points_Per_Cycle,
                                                        std::uint32_t Length, std::uint8_t V_RANGE,
                                                        std::uint8_t I_RANGE) {
    if (!Comm1.PortOpen())
        return PortClosed;
    Communication_data.MaxRxByte = recordAnswerLength(Length);
    return send(buildRecordRequest(SentBuff, Address, DataAddress, Sampling_Points_Per_Cycle,
                                   Length, V_RANGE, I_RANGE));
}

std::int32_t Communication::WriteInstrumentBlockByte(std::uint8_t Address,
                                                     std::uint16_t DataAddress,
                                                     std::span<const std::uint8_t> Data) {
    if (!Comm1.PortOpen())
        return PortClosed;
    return send(buildWriteRequest(SentBuff, Address, DataAddress, Data));
}
