#include "request_framer.h"

#include <gtest/gtest.h>
#include <vector>

#include "link/request_frames.h"

namespace {

std::vector<std::uint8_t> readFrame(std::uint16_t reg, std::uint16_t count) {
    SendBuffer buffer{};
    const std::size_t length = buildReadRequest(buffer, 1, reg, count);
    return {buffer.begin(), buffer.begin() + long(length)};
}

std::vector<std::uint8_t> recordFrame(std::uint16_t pointsPerCycle, std::uint32_t length) {
    SendBuffer buffer{};
    const std::size_t size = buildRecordRequest(buffer, 1, 5000, pointsPerCycle, length, 4, 3);
    return {buffer.begin(), buffer.begin() + long(size)};
}

std::vector<std::uint8_t> writeFrame(std::uint16_t reg, std::vector<std::uint8_t> data) {
    SendBuffer buffer{};
    const std::size_t length = buildWriteRequest(buffer, 1, reg, data);
    return {buffer.begin(), buffer.begin() + long(length)};
}

std::vector<std::uint8_t> joined(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(RequestFramer, DecodesEachKindOfRequest) {
    RequestFramer framer;
    const auto requests = framer.feed(
        joined({readFrame(100, 1074), recordFrame(64, 1'048'576), writeFrame(136, {1, 0})}), 0);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].kind, RequestKind::Read);
    EXPECT_EQ(requests[0].reg, 100);
    EXPECT_EQ(requests[0].count, 1074);
    EXPECT_EQ(requests[1].kind, RequestKind::Recording);
    EXPECT_EQ(requests[1].pointsPerCycle, 64);
    EXPECT_EQ(requests[1].length, 1'048'576u);
    EXPECT_EQ(requests[1].voltageRange, 4);
    EXPECT_EQ(requests[1].currentRange, 3);
    EXPECT_EQ(requests[2].kind, RequestKind::Write);
    EXPECT_EQ(requests[2].reg, 136);
    EXPECT_EQ(requests[2].count, 1);
    EXPECT_EQ(requests[2].data, (std::vector<std::uint8_t>{1, 0}));
    EXPECT_EQ(framer.discardedBytes(), 0u);
}

TEST(RequestFramer, WaitsForTheRestOfAFrameFedByteByByte) {
    RequestFramer framer;
    const auto frame = writeFrame(2000, std::vector<std::uint8_t>(26, 7));
    for (std::size_t k = 0; k + 1 < frame.size(); ++k)
        EXPECT_TRUE(framer.feed(std::span(&frame[k], 1), 0.001 * double(k)).empty());
    const auto requests = framer.feed(std::span(&frame.back(), 1), 0.05);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].data.size(), 26u);
}

struct NoiseCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
};

class RequestFramerResync : public testing::TestWithParam<NoiseCase> {};

// Whatever comes before it, a valid request is found and nothing invalid is taken.
TEST_P(RequestFramerResync, FindsTheRequestAfterNoise) {
    RequestFramer framer;
    const auto requests = framer.feed(joined({GetParam().bytes, readFrame(2000, 14)}), 0);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].reg, 2000);
    EXPECT_EQ(framer.discardedBytes(), GetParam().bytes.size());
}

std::vector<std::uint8_t> withBadCrc(std::vector<std::uint8_t> frame) {
    frame.back() ^= 1;
    return frame;
}

INSTANTIATE_TEST_SUITE_P(Noise, RequestFramerResync,
                         testing::Values(NoiseCase{"UnknownFunction", {0x01, 0x42, 0x00}},
                                         NoiseCase{"BadCrc", withBadCrc(readFrame(100, 1074))},
                                         NoiseCase{"BadCrcWrite",
                                                   withBadCrc(writeFrame(36, {2, 0}))},
                                         NoiseCase{"LoneAddress", {0x01}}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(RequestFramer, DropsAPartialFrameAfterASilence) {
    RequestFramer framer;
    const auto frame = readFrame(100, 1074);
    framer.feed(std::span(frame).first(5), 0);
    const auto requests = framer.feed(frame, RequestFramer::StaleAfter + 0.01);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(framer.discardedBytes(), 5u);
}

} // namespace
