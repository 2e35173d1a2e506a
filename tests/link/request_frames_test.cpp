#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "instrument/instrument_settings.h"
#include "link/crc.h"
#include "link/register_map.h"
#include "link/request_frames.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes frameBytes(const SendBuffer& frame, std::size_t length) {
    return Bytes(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(length));
}

TEST(ReadRequest, MeasurementBlockOfSlaveOne) {
    SendBuffer frame{};
    std::size_t length =
        buildReadRequest(frame, 1, Register::Measurement, RegisterCount::Measurement);
    EXPECT_EQ(frameBytes(frame, length), (Bytes{0x01, 0x03, 0x00, 0x64, 0x04, 0x32, 0x87, 0x00}));
    EXPECT_EQ(readAnswerLength(RegisterCount::Measurement), AnswerLength::Measurement);
}

TEST(ReadRequest, SettingsBlockOfSlaveOne) {
    SendBuffer frame{};
    std::size_t length =
        buildReadRequest(frame, 1, Register::Settings, RegisterCount::SettingsRead);
    EXPECT_EQ(frameBytes(frame, length), (Bytes{0x01, 0x03, 0x07, 0xD0, 0x00, 0x0E, 0xC4, 0x83}));
    EXPECT_EQ(readAnswerLength(RegisterCount::SettingsRead), AnswerLength::Settings);
}

TEST(ReadRequest, HeaderFieldsGoHighByteFirstAndLeaveTheRestOfTheBuffer) {
    SendBuffer frame;
    frame.fill(0xEE);
    std::size_t length = buildReadRequest(frame, 0, Register::KeepAlive, 0x1234);
    ASSERT_EQ(length, ReadRequestBytes);
    EXPECT_EQ(frame[0], 0x00);
    EXPECT_EQ(frame[2], 0x75);
    EXPECT_EQ(frame[3], 0x31);
    EXPECT_EQ(frame[4], 0x12);
    EXPECT_EQ(frame[5], 0x34);
    std::uint16_t crc = GetCRC(frame.data(), 6);
    EXPECT_EQ(frame[6], crc & 0xFF);
    EXPECT_EQ(frame[7], crc >> 8);
    EXPECT_EQ(frame[8], 0xEE);
}

TEST(ReadRequest, AnswerLengthsOfEveryReadTheConsoleSends) {
    EXPECT_EQ(readAnswerLength(RegisterCount::OneRegister), AnswerLength::OneRegister);
    EXPECT_EQ(readAnswerLength(RegisterCount::FloatValue), AnswerLength::TwoRegisters);
    EXPECT_EQ(readAnswerLength(10), AnswerLength::RecordingHeader);
}

TEST(RecordRequest, CarriesTheSampleCountMostSignificantByteFirst) {
    SendBuffer frame{};
    std::size_t length = buildRecordRequest(frame, 1, Register::Recording, 64, 1'048'576, 4, 3);
    ASSERT_EQ(length, RecordRequestBytes);
    Bytes expectedHead{0x01, 0x03, 0x13, 0x88, 0x00, 0x40, 0x00, 0x10, 0x00, 0x00, 0x04, 0x03};
    EXPECT_EQ(frameBytes(frame, 12), expectedHead);
    std::uint16_t crc = GetCRC(frame.data(), 12);
    EXPECT_EQ(frame[12], crc & 0xFF);
    EXPECT_EQ(frame[13], crc >> 8);
    EXPECT_EQ(recordAnswerLength(1'048'576), 1'048'576 * 4 + 8);
}

TEST(RecordRequest, StopRequestIsAllZeroParameters) {
    SendBuffer frame{};
    buildRecordRequest(frame, 7, Register::Recording, 0, 0, 0, 0);
    EXPECT_EQ(frameBytes(frame, 12), (Bytes{0x07, 0x03, 0x13, 0x88, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(RecordRequest, FourByteLengthKeepsEveryByte) {
    SendBuffer frame{};
    buildRecordRequest(frame, 1, Register::Recording, 16, 0x01020304, 0, 0);
    EXPECT_EQ(frameBytes(frame, 12).at(6), 0x01);
    EXPECT_EQ(frameBytes(frame, 12).at(7), 0x02);
    EXPECT_EQ(frameBytes(frame, 12).at(8), 0x03);
    EXPECT_EQ(frameBytes(frame, 12).at(9), 0x04);
}

TEST(WriteRequest, ImmediateStartIntegrationOfSlaveOne) {
    SendBuffer frame{};
    const std::uint8_t value[] = {static_cast<std::uint8_t>(IntegrationCommand::Start), 0};
    std::size_t length = buildWriteRequest(frame, 1, Register::IntegrationImmediate, value);
    EXPECT_EQ(frameBytes(frame, length),
              (Bytes{0x01, 0x10, 0x00, 0x88, 0x00, 0x01, 0x02, 0x01, 0x00, 0xB9, 0x48}));
}

TEST(WriteRequest, DeferredStopIntegrationAnnouncesOneRegisterOfTwoBytes) {
    SendBuffer frame{};
    const std::uint8_t value[] = {static_cast<std::uint8_t>(IntegrationCommand::Stop), 0};
    std::size_t length = buildWriteRequest(frame, 1, Register::IntegrationDeferred, value);
    ASSERT_EQ(length, 11u);
    EXPECT_EQ(frame[2], 0x00);
    EXPECT_EQ(frame[3], 0x24);
    EXPECT_EQ(frame[5], 0x01);
    EXPECT_EQ(frame[6], 0x02);
    EXPECT_EQ(frame[7], 0x02);
    EXPECT_EQ(frame[8], 0x00);
}

TEST(WriteRequest, OddByteCountAnnouncesRoundedDownRegistersButSendsEveryByte) {
    SendBuffer frame{};
    const std::uint8_t data[] = {0xA1, 0xA2, 0xA3};
    std::size_t length = buildWriteRequest(frame, 9, Register::ResponseSpeed, data);
    ASSERT_EQ(length, 12u);
    EXPECT_EQ(frame[5], 1);
    EXPECT_EQ(frame[6], 3);
    EXPECT_EQ(frameBytes(frame, 10),
              (Bytes{0x09, 0x10, 0x1F, 0x42, 0x00, 0x01, 0x03, 0xA1, 0xA2, 0xA3}));
    std::uint16_t crc = GetCRC(frame.data(), 10);
    EXPECT_EQ(frame[10], crc & 0xFF);
    EXPECT_EQ(frame[11], crc >> 8);
}

TEST(WriteRequest, SettingsImageOfTwentySixBytesIsCopiedUnchanged) {
    Instrument_SetDataType settings{};
    settings.CT = 2.5f;
    settings.StopTime = 0x01020304;
    settings.MODEL = 20;
    const auto* image = reinterpret_cast<const std::uint8_t*>(&settings);
    SendBuffer frame{};
    std::size_t length =
        buildWriteRequest(frame, 1, Register::Settings, {image, SettingsWriteBytes});
    ASSERT_EQ(length, SettingsWriteBytes + WriteRequestOverhead);
    EXPECT_EQ(frame[5], RegisterCount::SettingsWrite);
    EXPECT_EQ(frame[6], SettingsWriteBytes);
    Bytes expected{0x01, 0x10, 0x07, 0xD0, 0x00, 13, 26};
    expected.insert(expected.end(), image, image + SettingsWriteBytes);
    EXPECT_EQ(frameBytes(frame, 7 + SettingsWriteBytes), expected);
    // CT = 2.5f is 0x40200000 and StopTime 0x01020304, both least significant byte first.
    EXPECT_EQ(frameBytes(frame, 7 + 8),
              (Bytes{0x01, 0x10, 0x07, 0xD0, 0x00, 13, 26, 0, 0, 0, 0, 0x00, 0x00, 0x20, 0x40}));
    EXPECT_EQ(frame[7 + 22], 0x04);
    EXPECT_EQ(frame[7 + 25], 0x01);
}

TEST(WriteRequest, LargestPayloadFillsTheBufferExactly) {
    SendBuffer frame{};
    std::vector<std::uint8_t> data(MaxWritePayload, 0x5A);
    std::size_t length = buildWriteRequest(frame, 1, Register::Settings, data);
    EXPECT_EQ(length, SendBufferSize);
    EXPECT_EQ(frame[6], MaxWritePayload);
    std::uint16_t crc = GetCRC(frame.data(), SendBufferSize - 2);
    EXPECT_EQ(frame[SendBufferSize - 2], crc & 0xFF);
    EXPECT_EQ(frame[SendBufferSize - 1], crc >> 8);
}

TEST(WriteRequest, PayloadBeyondTheBufferIsRefusedAndTheBufferKept) {
    SendBuffer frame;
    frame.fill(0x77);
    std::vector<std::uint8_t> data(MaxWritePayload + 1, 0x5A);
    EXPECT_THROW(buildWriteRequest(frame, 1, Register::Settings, data), FrameTooLongError);
    for (std::uint8_t byte : frame)
        ASSERT_EQ(byte, 0x77);
}

} // namespace
