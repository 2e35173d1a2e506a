#include "serial_device.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

#include "line_settings.h"

namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

SerialDevice::SerialDevice(int fd, int heldDeviceSide, std::string path)
    : fd_(fd), heldDeviceSide_(heldDeviceSide), path_(std::move(path)) {}

SerialDevice SerialDevice::openPseudoTerminal(int baud) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0)
        fail("opening a pseudo-terminal");
    SerialDevice device(master, -1, {});
    if (grantpt(master) != 0 || unlockpt(master) != 0)
        fail("unlocking the pseudo-terminal");
    char name[128];
    if (ptsname_r(master, name, sizeof name) != 0)
        fail("naming the pseudo-terminal");
    device.path_ = name;
    device.heldDeviceSide_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (device.heldDeviceSide_ < 0)
        fail("opening " + device.path_);
    // Raw before anyone writes: a cooked line would echo the answers back as requests.
    setRawLine(device.heldDeviceSide_, baud);
    return device;
}

SerialDevice SerialDevice::openDevice(const std::string& path, int baud) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fail("opening " + path);
    SerialDevice device(fd, -1, path);
    setRawLine(fd, baud);
    return device;
}

SerialDevice::SerialDevice(SerialDevice&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), heldDeviceSide_(std::exchange(other.heldDeviceSide_, -1)),
      path_(std::move(other.path_)) {}

SerialDevice& SerialDevice::operator=(SerialDevice&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        heldDeviceSide_ = std::exchange(other.heldDeviceSide_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

SerialDevice::~SerialDevice() {
    close();
}

void SerialDevice::close() {
    if (heldDeviceSide_ >= 0)
        ::close(heldDeviceSide_);
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = heldDeviceSide_ = -1;
}

int SerialDevice::consoleBaudRate() const {
    return lineBaudRate(fd_);
}

std::size_t SerialDevice::read(std::span<std::uint8_t> buffer) {
    const ssize_t count = ::read(fd_, buffer.data(), buffer.size());
    if (count >= 0)
        return std::size_t(count);
    if (errno == EAGAIN || errno == EINTR)
        return 0;
    fail("reading " + path_);
}

std::size_t SerialDevice::write(std::span<const std::uint8_t> bytes) {
    const ssize_t count = ::write(fd_, bytes.data(), bytes.size());
    if (count >= 0)
        return std::size_t(count);
    if (errno == EAGAIN || errno == EINTR)
        return 0;
    fail("writing " + path_);
}

void pointLink(const std::string& link, const std::string& target) {
    const std::string temporary = link + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0)
        fail("creating " + temporary);
    if (::rename(temporary.c_str(), link.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
        fail("replacing " + link);
    }
}

void removeLink(const std::string& link) {
    struct stat status {};
    if (::lstat(link.c_str(), &status) == 0 && S_ISLNK(status.st_mode))
        ::unlink(link.c_str());
}
