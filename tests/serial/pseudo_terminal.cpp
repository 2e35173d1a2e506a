#include "serial/pseudo_terminal.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <system_error>

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// A pseudo-terminal holds about 12 KiB that nobody has read; a write beyond that waits
// for the reader, though never for long.
constexpr int WriteTimeoutMs = 2000;

[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::system_category(), what);
}

termios2 termiosOf(int fd) {
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        fail("TCGETS2");
    return settings;
}

void setTermios(int fd, const termios2& settings) {
    if (::ioctl(fd, TCSETS2, &settings) != 0)
        fail("TCSETS2");
}

// What cfmakeraw does: no echo, no line editing, no character translation, 8 data bits.
void makeRaw(termios2& settings) {
    settings.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    settings.c_oflag &= ~OPOST;
    settings.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~(CSIZE | PARENB);
    settings.c_cflag |= CS8;
}

} // namespace

PseudoTerminal::PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0)
        fail("posix_openpt");
    char name[128];
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        ::close(master_);
        fail("pseudo-terminal slave");
    }
    slavePath_ = name;
    termios2 settings = termiosOf(master_);
    makeRaw(settings);
    setTermios(master_, settings);
}

PseudoTerminal::~PseudoTerminal() {
    hangUp();
}

void PseudoTerminal::hangUp() {
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

void PseudoTerminal::write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(master_, bytes.data(), bytes.size());
        if (written > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(written));
            continue;
        }
        if (errno != EAGAIN && errno != EINTR)
            fail("write to the pseudo-terminal");
        pollfd writable{master_, POLLOUT, 0};
        if (::poll(&writable, 1, WriteTimeoutMs) == 0)
            throw std::runtime_error("the pseudo-terminal takes no more bytes");
    }
}

std::vector<std::uint8_t> PseudoTerminal::read(std::size_t count, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd readable{master_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) <= 0)
            break;
        std::uint8_t chunk[4096];
        const ssize_t got = ::read(master_, chunk, std::min(sizeof chunk, count - bytes.size()));
        if (got <= 0)
            break;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    return bytes;
}

PseudoTerminal::Line PseudoTerminal::line() const {
    const termios2 settings = termiosOf(master_);
    return {settings.c_iflag, settings.c_cflag, settings.c_ospeed};
}

void PseudoTerminal::setLine(const Line& line) {
    termios2 settings = termiosOf(master_);
    settings.c_iflag = line.inputFlags;
    settings.c_cflag = (line.controlFlags & ~CBAUD) | BOTHER;
    settings.c_ispeed = line.speed;
    settings.c_ospeed = line.speed;
    setTermios(master_, settings);
}
