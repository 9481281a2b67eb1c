// Rates outside the B-constants for tests, through termios2 (its header
// cannot share a file with <termios.h>).
#pragma once

int setOddRate(int fd, unsigned rate);  // 0, or -1 with errno
unsigned oddRate(int fd);               // the output rate; 0 when unknown
