#pragma once

#include <cstdint>
#include <span>
#include <string>

// The instrument's end of the line: the master side of a fresh pseudo-terminal, whose
// device side the console opens, or a real serial device.
class SerialDevice {
public:
    // Opens a pseudo-terminal with its device side in raw mode at `baud`. The device side
    // stays open here too, so the line survives the console closing and reopening it.
    static SerialDevice openPseudoTerminal(int baud);
    // Opens `path` in raw mode at `baud`.
    static SerialDevice openDevice(const std::string& path, int baud);

    SerialDevice(SerialDevice&& other) noexcept;
    SerialDevice& operator=(SerialDevice&& other) noexcept;
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;
    ~SerialDevice();

    int fd() const { return fd_; }
    // The path the console opens.
    const std::string& path() const { return path_; }
    bool isPseudoTerminal() const { return heldDeviceSide_ >= 0; }

    // Baud rate the console's side of a pseudo-terminal runs at.
    int consoleBaudRate() const;

    // Non-blocking; return bytes moved, 0 when none can move now. Throw std::system_error
    // when the line is gone.
    std::size_t read(std::span<std::uint8_t> buffer);
    std::size_t write(std::span<const std::uint8_t> bytes);

private:
    SerialDevice(int fd, int heldDeviceSide, std::string path);
    void close();

    int fd_ = -1;
    int heldDeviceSide_ = -1;
    std::string path_;
};

// Points the symbolic link `link` at `target`, replacing what was there in one step.
void pointLink(const std::string& link, const std::string& target);
// Removes `link` if it is a symbolic link.
void removeLink(const std::string& link);
