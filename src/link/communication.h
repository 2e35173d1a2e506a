#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "link/communication_data.h"
#include "link/port_discovery.h"
#include "link/register_map.h"
#include "link/request_frames.h"

class TComm;

// The link to the instrument: the request builders, which send through the serial
// component, and the link state the rest of the console shares.
class Communication {
public:
    explicit Communication(TComm& port) : Comm1(port) {}

    // Each returns -1 when the frame went to an open port, 0 (sending nothing and leaving
    // SentBuff and MaxRxByte as they were) when the port is closed.
    std::int32_t ReadInstrumentCommand(std::uint8_t Address, std::uint16_t DataAddress,
                                       std::uint16_t Length);
    std::int32_t ReadInstrumentRecdorCommand(std::uint8_t Address, std::uint16_t DataAddress,
                                             std::uint16_t Sampling_Points_Per_Cycle,
                                             std::uint32_t Length, std::uint8_t V_RANGE,
                                             std::uint8_t I_RANGE);
    // A payload too long for the send buffer is refused with FrameTooLongError.
    std::int32_t WriteInstrumentBlockByte(std::uint8_t Address, std::uint16_t DataAddress,
                                          std::span<const std::uint8_t> Data);

    TComm& Comm1;
    SendBuffer SentBuff{};
    std::array<std::uint8_t, 65536> ByteRecieve{}; // the last answer taken
    CommunicationType Communication_data{};
    std::uint8_t InstrumentAddress = 1;
    std::uint8_t CommPortNumber = 0;
    std::uint8_t CommNumber = 0;
    std::array<std::uint8_t, MaxRecognisedPorts> CommNB{};
    std::uint8_t CommPortType = 0;
    std::uint8_t CommOpenEN = 0;
    std::int32_t UsbConnCounter = 0;
    std::int32_t UsbResetcount = 0;
    std::string InstrumentPID{DefaultInstrumentPID};

private:
    std::int32_t send(std::size_t length);
};
