#include "request_framer.h"

#include "answer_frames.h"
#include "link/register_map.h"
#include "link/request_frames.h"

namespace {

std::uint16_t bigEndian16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

std::uint32_t bigEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t(bigEndian16(bytes, at)) << 16 | bigEndian16(bytes, at + 2);
}

} // namespace

long RequestFramer::frameLength() const {
    if (pending_.size() < 2)
        return 0;
    switch (pending_[1]) {
    case FunctionCode::Read:
        if (pending_.size() < 4)
            return 0;
        return bigEndian16(pending_, 2) == Register::Recording ? long(RecordRequestBytes)
                                                               : long(ReadRequestBytes);
    case FunctionCode::Write:
        if (pending_.size() < 7)
            return 0;
        return long(WriteRequestOverhead) + pending_[6];
    default:
        return -1;
    }
}

std::vector<Request> RequestFramer::feed(std::span<const std::uint8_t> bytes, double now) {
    if (!pending_.empty() && now - lastByteTime_ > StaleAfter) {
        discarded_ += pending_.size();
        pending_.clear();
    }
    if (!bytes.empty())
        lastByteTime_ = now;
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());

    std::vector<Request> requests;
    for (;;) {
        const long length = frameLength();
        if (length == 0 || (length > 0 && pending_.size() < std::size_t(length)))
            break;
        const auto frame = std::span(pending_).first(length > 0 ? std::size_t(length) : 0);
        if (length > 0 && hasValidCrc(frame)) {
            requests.push_back(decodeRequest(frame));
            pending_.erase(pending_.begin(), pending_.begin() + length);
        } else {
            pending_.erase(pending_.begin());
            ++discarded_;
        }
    }
    return requests;
}

Request decodeRequest(std::span<const std::uint8_t> frame) {
    Request request;
    request.address = frame[0];
    request.reg = bigEndian16(frame, 2);
    if (frame[1] == FunctionCode::Write) {
        request.kind = RequestKind::Write;
        request.count = frame[5];
        request.data.assign(frame.begin() + 7, frame.end() - 2);
    } else if (request.reg == Register::Recording) {
        request.kind = RequestKind::Recording;
        request.pointsPerCycle = bigEndian16(frame, 4);
        request.length = bigEndian32(frame, 6);
        request.voltageRange = frame[10];
        request.currentRange = frame[11];
    } else {
        request.kind = RequestKind::Read;
        request.count = bigEndian16(frame, 4);
    }
    return request;
}
