#include "link/answer_framer.h"

#include <gtest/gtest.h>

#include "link/crc.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes withCrc(Bytes frame) {
    const std::uint16_t crc = GetCRC(frame.data(), std::int32_t(frame.size()));
    frame.push_back(std::uint8_t(crc & 0xFF));
    frame.push_back(std::uint8_t(crc >> 8));
    return frame;
}

// A function-3 answer from slave 1 with `payload` bytes of `fill`.
Bytes readAnswer(std::size_t payload, std::uint8_t fill = 0x5A) {
    Bytes frame{1, 3, std::uint8_t(payload & 0xFF)};
    frame.insert(frame.end(), payload, fill);
    return withCrc(frame);
}

Bytes acknowledge(std::uint16_t reg) {
    return withCrc({1, 9, 1, std::uint8_t(reg & 0xFF), std::uint8_t(reg >> 8)});
}

Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes damaged(Bytes frame) {
    frame[frame.size() / 2] ^= 0x40;
    return frame;
}

// What a framer gives back for a sequence of reads: "answer N" or "damaged N" per piece.
std::vector<std::string> framed(const std::vector<Bytes>& reads, std::size_t expected = 2153) {
    AnswerFramer framer({1, 0});
    std::vector<std::string> result;
    for (const Bytes& read : reads) {
        auto pieces = framer.add(read);
        const auto settled = framer.settle(expected, true);
        pieces.insert(pieces.end(), settled.begin(), settled.end());
        for (const auto& piece : pieces)
            result.push_back((piece.intact ? "answer " : "damaged ") +
                             std::to_string(piece.bytes.size()));
    }
    return result;
}

using Strings = std::vector<std::string>;

TEST(AnswerFramer, TakesEveryKnownAnswerLength) {
    for (const std::size_t payload : {2u, 4u, 20u, 28u, 2148u, 4104u})
        EXPECT_EQ(framed({readAnswer(payload)}, 0),
                  Strings{"answer " + std::to_string(payload + 5)});
    EXPECT_EQ(framed({acknowledge(2000)}), Strings{"answer 7"});
}

TEST(AnswerFramer, AnswersQueuedTogetherAreTakenOneByOne) {
    EXPECT_EQ(framed({joined({readAnswer(4), readAnswer(2148), acknowledge(136)})}),
              (Strings{"answer 9", "answer 2153", "answer 7"}));
    EXPECT_EQ(framed({joined({readAnswer(4104, 1), readAnswer(4104, 2)})}, 16392),
              (Strings{"answer 4109", "answer 4109"}));
}

TEST(AnswerFramer, AnAnswerInPiecesWaitsForItsRest) {
    const Bytes answer = readAnswer(2148);
    const Bytes first(answer.begin(), answer.begin() + 700);
    const Bytes second(answer.begin() + 700, answer.begin() + 1500);
    const Bytes rest(answer.begin() + 1500, answer.end());
    EXPECT_EQ(framed({first, second, rest}), Strings{"answer 2153"});
}

TEST(AnswerFramer, ADamagedAnswerIsNeverTakenAndTheNextOneIs) {
    EXPECT_EQ(framed({damaged(readAnswer(2148))}), Strings{"damaged 2153"});
    EXPECT_EQ(framed({joined({damaged(readAnswer(2148)), readAnswer(2148)})}),
              (Strings{"damaged 2153", "answer 2153"}));
    EXPECT_EQ(framed({joined({readAnswer(4), damaged(readAnswer(2148)), acknowledge(36)})}),
              (Strings{"answer 9", "damaged 2153", "answer 7"}));
}

TEST(AnswerFramer, GarbageBeforeAnAnswerIsGivenBackDamaged) {
    EXPECT_EQ(framed({joined({Bytes{0xFF, 0x00, 0x13, 0x01, 0x77}, readAnswer(2148)})}),
              (Strings{"damaged 5", "answer 2153"}));
    EXPECT_EQ(framed({Bytes{0x01, 0x03}}), Strings{"damaged 2"});
}

TEST(AnswerFramer, AShortAnswerWaitsUntilTheNextAnswerShowsItsEnd) {
    const Bytes answer = readAnswer(2148);
    const Bytes cut(answer.begin(), answer.begin() + 1000);
    EXPECT_EQ(framed({cut, readAnswer(2148)}), (Strings{"damaged 1000", "answer 2153"}));
}

TEST(AnswerFramer, TheFirstBytesOfAnAnswerAreKeptWhileTheLineIsBusy) {
    AnswerFramer framer({1, 0});
    const Bytes answer = readAnswer(2148);
    EXPECT_TRUE(framer.add(std::span(answer).first(2)).empty());
    EXPECT_TRUE(framer.settle(2153, false).empty());
    const auto pieces = framer.add(std::span(answer).subspan(2));
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_TRUE(pieces[0].intact);
}

TEST(AnswerFramer, APacketArrivingWhileAShortAnswerIsExpectedIsNotCutShort) {
    const Bytes packet = readAnswer(4104);
    const Bytes head(packet.begin(), packet.begin() + 3000);
    const Bytes rest(packet.begin() + 3000, packet.end());
    EXPECT_EQ(framed({head, rest}, 9), Strings{"answer 4109"});
}

} // namespace
