#pragma once

// Line settings of a terminal device through the kernel's termios2 interface, which
// carries any baud rate as a plain number. On a pseudo-terminal's master side these are
// the settings the program on the device side has chosen.

// Raw 8N1 at `baud`. Throws std::system_error.
void setRawLine(int fd, int baud);

// The output baud rate set on the line; throws std::system_error.
int lineBaudRate(int fd);
