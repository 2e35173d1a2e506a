#include "line_settings.h"

#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>
#include <system_error>

namespace {

termios2 currentSettings(int fd) {
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0)
        throw std::system_error(errno, std::generic_category(), "reading line settings");
    return settings;
}

} // namespace

void setRawLine(int fd, int baud) {
    termios2 settings = currentSettings(fd);
    settings.c_iflag &=
        ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    settings.c_oflag &= ~tcflag_t(OPOST);
    settings.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = settings.c_ospeed = speed_t(baud);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (ioctl(fd, TCSETS2, &settings) != 0)
        throw std::system_error(errno, std::generic_category(), "setting line settings");
}

int lineBaudRate(int fd) {
    return int(currentSettings(fd).c_ospeed);
}
