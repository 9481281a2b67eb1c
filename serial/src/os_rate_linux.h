// Line rates through the kernel's termios2 interface, which takes any rate
// (BOTHER) where struct termios only knows the B-constants. Kept apart because
// <asm/termbits.h> cannot share a translation unit with glibc's <termios.h>.
#pragma once

namespace tolk {

// Reads the output rate in bit/s. 0 on success, -1 with errno.
int rateGet(int fd, unsigned* rate);
// Sets input and output rate to any value. 0 on success, -1 with errno.
int rateSetAny(int fd, unsigned rate);

}  // namespace tolk
