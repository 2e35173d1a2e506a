#pragma once

#include <cstddef>
#include <cstdint>

#include "base/packed_record.h"

// Entries of CommunicationType::Task_flag: work requested from the polling cycle.
enum TaskFlag : std::size_t {
    TaskMeasurement = 0,
    TaskClearIntegration = 1,
    TaskStartIntegration = 2,
    TaskStopIntegration = 3,
    TaskKeepAlive = 4,
};

// Values of CommunicationType::Communication_Pointer: what the cycle sent last.
enum CommunicationPointer : std::uint8_t {
    PointerMeasurement = 0,
    PointerClearIntegration = 1,
    PointerStartIntegration = 2,
    PointerStopIntegration = 3,
};

#pragma pack(push, 1)
// State of the polling cycle; held in memory only.
struct CommunicationType {
    std::uint8_t Comm_Mode;           // 1 continuous measurement, 0 single or stopped
    bool commBusy;                    // true: the last tick sent nothing, a command may go at once
    bool CRC_Equal_flag;              // the last answer passed the CRC check
    std::int32_t Old_Comm1_DataCount; // queued byte count at the previous receive event
    std::int32_t Error_Count;
    std::int32_t MaxRxByte; // expected length of the answer to the last read
    std::uint8_t Communication_Pointer;
    bool Task_flag[65];
};
#pragma pack(pop)

static_assert(sizeof(CommunicationType) == 81);
