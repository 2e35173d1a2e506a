#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Cuts the bytes read from the line into the instrument's answers. Answers that arrive
// queued together are taken one by one, an answer still arriving waits for the rest, and
// bytes that belong to no answer with a valid CRC are given back as damaged, so that an
// intact answer is decoded exactly once and a damaged one never.
class AnswerFramer {
public:
    struct Piece {
        std::vector<std::uint8_t> bytes;
        bool intact = false; // a whole answer with a valid CRC; else damaged bytes
    };

    // `addresses` are the slave addresses answers may come from (the instrument's and 0);
    // a damaged stretch ends only where an answer from one of them begins.
    explicit AnswerFramer(std::vector<std::uint8_t> addresses) : addresses_(std::move(addresses)) {}

    void setAddresses(std::vector<std::uint8_t> addresses) { addresses_ = std::move(addresses); }

    // Adds bytes from the line and returns the answers and damaged stretches they complete,
    // in the order they came.
    std::vector<Piece> add(std::span<const std::uint8_t> bytes);

    // What is left over after `add` is given back damaged when it has exactly the length of
    // the answer expected (`expectedLength`) and is still no answer, or, once the line has
    // gone quiet, when it is shorter than any answer. Anything else may be an answer still
    // arriving, and waits for its rest or for the next answer to show where it ends.
    std::vector<Piece> settle(std::size_t expectedLength, bool lineQuiet);

    std::size_t pending() const { return pending_.size(); }

private:
    enum class Found { Answer, Damaged, Incomplete };
    struct Cut {
        Found found;
        std::size_t length = 0;
    };

    Cut cutAt(std::size_t start) const;
    bool answerStartsAt(std::size_t start) const;

    std::vector<std::uint8_t> addresses_;
    std::vector<std::uint8_t> pending_;
};

// Lengths an answer of function `function` may have, shortest first; empty for a function
// the instrument does not answer with.
std::span<const std::size_t> answerLengths(std::uint8_t function);
