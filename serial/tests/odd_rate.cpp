#include "odd_rate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

int setOddRate(int fd, unsigned rate) {
    struct termios2 t2;
    if (ioctl(fd, TCGETS2, &t2) != 0) return -1;
    t2.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t2.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t2.c_ispeed = rate;
    t2.c_ospeed = rate;
    return ioctl(fd, TCSETS2, &t2);
}

unsigned oddRate(int fd) {
    struct termios2 t2;
    return ioctl(fd, TCGETS2, &t2) == 0 ? t2.c_ospeed : 0;
}
