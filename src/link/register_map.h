#pragma once

#include <cstdint>

// The instrument's registers, as sent in bytes 2-3 of a request.
namespace Register {
inline constexpr std::uint16_t IntegrationDeferred = 36;     // integration command from the cycle
inline constexpr std::uint16_t Measurement = 100;            // the complete measurement
inline constexpr std::uint16_t IntegrationImmediate = 136;   // integration command when idle
inline constexpr std::uint16_t Settings = 2000;              // settings block
inline constexpr std::uint16_t VoltageCalibration = 2100;    // float: reference voltage, V
inline constexpr std::uint16_t CurrentCalibration = 2108;    // float: reference current, A
inline constexpr std::uint16_t AngleCalibration = 2116;      // float: phase correction, s
inline constexpr std::uint16_t CalibrationLock = 2120;       // unlock code, or 0 to lock
inline constexpr std::uint16_t RangeDelayCalibration = 2122; // 0 clear, 1 calibrate
inline constexpr std::uint16_t CurrentZeroAdjust = 2152;     // zero, zero + 1, zero - 1
inline constexpr std::uint16_t Recording = 5000;             // recording request
inline constexpr std::uint16_t BusSettings = 8000;           // address and baud code, slave 0
inline constexpr std::uint16_t ResponseSpeed = 8002;         // 0 = 0.5 s, 1 = 0.25 s, 2 = 0.125 s
inline constexpr std::uint16_t PauseNotice = 30000;          // before lengthy file work
inline constexpr std::uint16_t KeepAlive = 30001;            // USB keep-alive
} // namespace Register

// Register counts of the reads the console sends.
namespace RegisterCount {
inline constexpr std::uint16_t Measurement = 1074;
inline constexpr std::uint16_t SettingsRead = 14;
inline constexpr std::uint16_t SettingsWrite = 13;
inline constexpr std::uint16_t FloatValue = 2;
inline constexpr std::uint16_t OneRegister = 1;
inline constexpr std::uint16_t KeepAlive = 2;          // on the supervision timer and the cycle
inline constexpr std::uint16_t KeepAliveAfterFile = 1; // when lengthy file work ends
} // namespace RegisterCount

namespace FunctionCode {
inline constexpr std::uint8_t Read = 0x03;
inline constexpr std::uint8_t Write = 0x10;
inline constexpr std::uint8_t WriteAcknowledge = 0x09;
} // namespace FunctionCode

// Lengths of the function-3 answers, CRC included.
namespace AnswerLength {
inline constexpr int OneRegister = 7;
inline constexpr int TwoRegisters = 9;
inline constexpr int RecordingHeader = 25;
inline constexpr int Settings = 33;
inline constexpr int Measurement = 2153;
inline constexpr int RecordingPacket = 4109;
} // namespace AnswerLength

// Integration commands, written as the 16-bit value v to register 36 or 136.
enum class IntegrationCommand : std::uint8_t { Start = 1, Stop = 2, Clear = 3 };

// Slave address of the bus-settings scan and change.
inline constexpr std::uint8_t BroadcastAddress = 0;

// Baud codes of the bus settings at register 8000.
enum class BusBaudCode : std::uint8_t { Baud19200 = 0, Baud115200 = 1 };

// Low byte of the word that unlocks the calibration registers; 0 locks them again.
inline constexpr std::uint8_t CalibrationUnlockCode = 0xA5;

// Values of the range-delay calibration register.
enum class RangeDelayCommand : std::uint8_t { Clear = 0, Calibrate = 1 };

// Values of the current-zero register.
enum class CurrentZeroCommand : std::uint8_t { SetZero = 0x55, ZeroUp = 0x54, ZeroDown = 0x53 };

// Response-speed indices of register 8002: 0.5 s, 0.25 s, 0.125 s.
inline constexpr std::uint8_t ResponseSpeedCount = 3;

// Samples per cycle of a recording: 800, 1600 or 3200 samples per second at 50 Hz.
inline constexpr std::uint16_t RecordingPointsPerCycle[] = {16, 32, 64};
