#pragma once

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <span>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "line_settings.h"
#include "link/request_frames.h"

// The console's end of a line to the simulator, as a plain raw terminal: for tests and
// measurements that talk to the instrument without the console.
class LineClient {
public:
    explicit LineClient(const std::string& path, int baud = 115200) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            throw std::system_error(errno, std::generic_category(), "opening " + path);
        setRawLine(fd_, baud);
    }
    LineClient(const LineClient&) = delete;
    LineClient& operator=(const LineClient&) = delete;
    ~LineClient() { ::close(fd_); }

    void setBaud(int baud) { setRawLine(fd_, baud); }

    void send(std::span<const std::uint8_t> bytes) {
        if (::write(fd_, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
            throw std::system_error(errno, std::generic_category(), "writing a request");
    }
    void sendRead(std::uint8_t address, std::uint16_t reg, std::uint16_t count) {
        SendBuffer frame{};
        send(std::span(frame).first(buildReadRequest(frame, address, reg, count)));
    }
    void sendWrite(std::uint8_t address, std::uint16_t reg, std::vector<std::uint8_t> data) {
        SendBuffer frame{};
        send(std::span(frame).first(buildWriteRequest(frame, address, reg, data)));
    }
    void sendRecord(std::uint16_t pointsPerCycle, std::uint32_t length) {
        SendBuffer frame{};
        send(std::span(frame).first(
            buildRecordRequest(frame, 1, 5000, pointsPerCycle, length, 4, 3)));
    }

    // Bytes until `count` have come or `seconds` have passed.
    std::vector<std::uint8_t> receive(std::size_t count, double seconds) {
        std::vector<std::uint8_t> bytes;
        const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(seconds));
        while (bytes.size() < count && waitForInput(deadline))
            readAvailable(bytes, count - bytes.size());
        return bytes;
    }
    // Everything that arrives within `seconds`.
    std::vector<std::uint8_t> receiveFor(double seconds) {
        return receive(std::size_t(-1) / 2, seconds);
    }
    // True when the line has hung up (the device went away) within `seconds`.
    bool hungUp(double seconds) {
        pollfd fd{fd_, POLLIN, 0};
        if (::poll(&fd, 1, int(seconds * 1000)) <= 0)
            return false;
        std::uint8_t byte;
        return (fd.revents & (POLLHUP | POLLERR)) != 0 || ::read(fd_, &byte, 1) < 0;
    }

private:
    using Clock = std::chrono::steady_clock;

    bool waitForInput(Clock::time_point deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd fd{fd_, POLLIN, 0};
        return ::poll(&fd, 1, int(left.count()) + 1) > 0 && (fd.revents & POLLIN);
    }
    void readAvailable(std::vector<std::uint8_t>& bytes, std::size_t most) {
        std::uint8_t buffer[8192];
        const ssize_t got = ::read(fd_, buffer, std::min(most, sizeof buffer));
        if (got > 0)
            bytes.insert(bytes.end(), buffer, buffer + got);
    }

    int fd_ = -1;
};
