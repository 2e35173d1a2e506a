#include "link/answer_framer.h"

#include <algorithm>
#include <array>

#include "link/crc.h"
#include "link/register_map.h"

namespace {

constexpr std::array<std::size_t, 6> ReadAnswerLengths{
    AnswerLength::OneRegister, AnswerLength::TwoRegisters, AnswerLength::RecordingHeader,
    AnswerLength::Settings,    AnswerLength::Measurement,  AnswerLength::RecordingPacket};

// The console does not rely on the length of a write acknowledgement; any from address,
// function, one byte and CRC up to this many bytes is taken.
constexpr std::size_t ShortestAcknowledge = 5;
constexpr std::size_t LongestAcknowledge = 64;

constexpr std::array<std::size_t, LongestAcknowledge - ShortestAcknowledge + 1>
acknowledgeLengths() {
    std::array<std::size_t, LongestAcknowledge - ShortestAcknowledge + 1> lengths{};
    for (std::size_t k = 0; k < lengths.size(); ++k)
        lengths[k] = ShortestAcknowledge + k;
    return lengths;
}
constexpr auto AcknowledgeLengths = acknowledgeLengths();

// No answer is shorter: address, function and CRC.
constexpr std::size_t ShortestAnswer = 4;

bool validCrc(std::span<const std::uint8_t> frame) {
    const std::size_t body = frame.size() - 2;
    const std::uint16_t crc = GetCRC(frame.data(), static_cast<std::int32_t>(body));
    return frame[body] == (crc & 0xFF) && frame[body + 1] == (crc >> 8);
}

} // namespace

std::span<const std::size_t> answerLengths(std::uint8_t function) {
    if (function == FunctionCode::Read)
        return ReadAnswerLengths;
    if (function == FunctionCode::WriteAcknowledge)
        return AcknowledgeLengths;
    return {};
}

// True when a complete answer with a valid CRC starts at `start`.
bool AnswerFramer::answerStartsAt(std::size_t start) const {
    const std::size_t available = pending_.size() - start;
    if (available < ShortestAnswer ||
        std::find(addresses_.begin(), addresses_.end(), pending_[start]) == addresses_.end())
        return false;
    for (const std::size_t length : answerLengths(pending_[start + 1]))
        if (length <= available && validCrc(std::span(pending_).subspan(start, length)))
            return true;
    return false;
}

// What the pending bytes from `start` hold: an answer, damaged bytes up to where an answer
// begins, or the beginning of an answer still arriving.
AnswerFramer::Cut AnswerFramer::cutAt(std::size_t start) const {
    const std::size_t available = pending_.size() - start;
    if (available < 2)
        return {Found::Incomplete};
    bool mayComplete = false;
    for (const std::size_t length : answerLengths(pending_[start + 1])) {
        if (length > available) {
            mayComplete = true;
            break;
        }
        if (validCrc(std::span(pending_).subspan(start, length)))
            return {Found::Answer, length};
    }
    for (std::size_t next = start + 1; next < pending_.size(); ++next)
        if (answerStartsAt(next))
            return {Found::Damaged, next - start};
    if (mayComplete)
        return {Found::Incomplete};
    return {Found::Damaged, available};
}

std::vector<AnswerFramer::Piece> AnswerFramer::add(std::span<const std::uint8_t> bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    std::vector<Piece> pieces;
    std::size_t start = 0;
    for (;;) {
        const Cut cut = cutAt(start);
        if (cut.found == Found::Incomplete)
            break;
        const auto begin = pending_.begin() + std::ptrdiff_t(start);
        pieces.push_back({std::vector<std::uint8_t>(begin, begin + std::ptrdiff_t(cut.length)),
                          cut.found == Found::Answer});
        start += cut.length;
    }
    pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(start));
    return pieces;
}

std::vector<AnswerFramer::Piece> AnswerFramer::settle(std::size_t expectedLength, bool lineQuiet) {
    if (pending_.empty())
        return {};
    const auto lengths = answerLengths(pending_.size() > 1 ? pending_[1] : 0);
    const bool expectedArrived =
        pending_.size() == expectedLength &&
        std::find(lengths.begin(), lengths.end(), expectedLength) != lengths.end();
    const bool tooShort = lineQuiet && pending_.size() < ShortestAnswer;
    if (!tooShort && !expectedArrived)
        return {};
    std::vector<Piece> damaged{{std::move(pending_), false}};
    pending_.clear();
    return damaged;
}
