#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The master side of a fresh pseudo-terminal, in raw mode; the code under test opens the
// slave path. The slave's line settings are visible and settable from the master side.
class PseudoTerminal {
public:
    // The slave's termios as the kernel holds it: flag words and the speed in bits per second.
    struct Line {
        std::uint32_t inputFlags = 0;
        std::uint32_t controlFlags = 0;
        std::uint32_t speed = 0;
    };

    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& slavePath() const { return slavePath_; }

    // Writes every byte to the slave's input, or throws when the slave's side takes no
    // more within a short time (it holds about 12 KiB unread).
    void write(std::span<const std::uint8_t> bytes);
    // What the slave wrote: reads until `count` bytes have come or `timeoutMs` has passed.
    std::vector<std::uint8_t> read(std::size_t count, int timeoutMs = 2000);

    // Closes the master side, as when a USB adapter is pulled: the slave's side sees the
    // line gone.
    void hangUp();

    Line line() const;
    // Sets the flag words and the speed, as another program on the line would.
    void setLine(const Line& line);

private:
    int master_ = -1;
    std::string slavePath_;
};
