#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "request.h"

// Cuts the byte stream from the bus master into requests. A frame's length follows from
// its function code and header; a frame whose CRC fails is dropped one byte at a time
// until a valid frame lines up again, and a partial frame left over after a silence is
// dropped, as a slave on a bus resynchronises on line silence.
class RequestFramer {
public:
    // Silence after which an incomplete frame is discarded, in seconds.
    static constexpr double StaleAfter = 0.1;

    // Adds bytes received at time `now` (seconds) and returns the requests they complete.
    std::vector<Request> feed(std::span<const std::uint8_t> bytes, double now);

    // Bytes dropped so far because they formed no valid request.
    std::size_t discardedBytes() const { return discarded_; }

private:
    // Length of the frame at the start of the pending bytes: 0 while unknown yet, -1 when
    // the first byte cannot start a request.
    long frameLength() const;

    std::vector<std::uint8_t> pending_;
    double lastByteTime_ = 0;
    std::size_t discarded_ = 0;
};

// Decodes one complete frame whose CRC has been checked.
Request decodeRequest(std::span<const std::uint8_t> frame);
