#include "os_rate_linux.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tolk {

int rateGet(int fd, unsigned* rate) {
    struct termios2 t2;
    if (ioctl(fd, TCGETS2, &t2) != 0) return -1;
    *rate = t2.c_ospeed;
    return 0;
}

int rateSetAny(int fd, unsigned rate) {
    struct termios2 t2;
    if (ioctl(fd, TCGETS2, &t2) != 0) return -1;
    t2.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t2.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t2.c_ispeed = rate;
    t2.c_ospeed = rate;
    return ioctl(fd, TCSETS2, &t2);
}

}  // namespace tolk
