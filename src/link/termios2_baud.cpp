// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary baud rates through the kernel's termios2 interface (BOTHER). Kept in a file of its own because
// the kernel's termios definitions clash with those of the C library.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cstdint>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace k470::detail {

bool setCustomBaudRate(int fd, uint32_t baud) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = baud;
    t.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &t) == 0;
}

}  // namespace k470::detail
