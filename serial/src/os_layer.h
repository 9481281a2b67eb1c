// The library's only door to the operating system. Every system call the port
// code makes goes through the table below, so tests can swap in a fake for what
// a pseudo-terminal cannot show (modem lines, break, line errors, failing
// closes). Functions follow POSIX conventions: -1 and errno on failure.
#pragma once

#include <cstdint>
#include <termios.h>

namespace tolk {

// Modem-line bits, as TIOCM_* values.
enum : int {
    kLineDtr = 0x002,  // TIOCM_DTR
    kLineRts = 0x004,  // TIOCM_RTS
    kLineCts = 0x020,  // TIOCM_CTS
    kLineDcd = 0x040,  // TIOCM_CAR
    kLineRi = 0x080,   // TIOCM_RNG
    kLineDsr = 0x100,  // TIOCM_DSR
};

// Cumulative line-error counters of the driver (TIOCGICOUNT).
struct LineCounters {
    uint32_t frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    uint32_t cts = 0, dsr = 0, rng = 0, dcd = 0;
};

enum class Queue { Input, Output, Both };

struct OsLayer {
    // Opens a serial device for exclusive use (advisory lock and TIOCEXCL),
    // non-blocking, without becoming its controlling terminal.
    int (*openDevice)(const char* path);
    int (*closeDevice)(int fd);
    long (*read)(int fd, void* buf, unsigned long n);
    long (*write)(int fd, const void* buf, unsigned long n);
    int (*getAttr)(int fd, struct termios* t, unsigned* rate);
    int (*setAttr)(int fd, const struct termios* t, unsigned rate);
    int (*inQueue)(int fd, int* count);
    int (*outQueue)(int fd, int* count);
    int (*flush)(int fd, Queue q);
    int (*modemGet)(int fd, int* bits);
    int (*modemSet)(int fd, int bits, bool on);
    int (*breakSet)(int fd, bool on);
    int (*counters)(int fd, LineCounters* c);
    // Waits up to timeoutMs (-1: no limit) for `events` (poll bits) on fd, or
    // for wakeFd to become readable. Returns the poll revents of fd (0 on
    // expiry), or -2 when woken through wakeFd, -1 on error.
    int (*waitFor)(int fd, short events, int wakeFd, int timeoutMs);
    // Wake-up channel (an eventfd): create, signal, drain, close.
    int (*wakeCreate)();
    void (*wakeSignal)(int wakeFd);
    void (*wakeDrain)(int wakeFd);
    void (*wakeClose)(int wakeFd);
    // Starts a detached thread running body(arg). 0, or -1 with errno.
    int (*startThread)(void* (*body)(void*), void* arg);
    void (*sleepMs)(uint32_t ms);
    uint32_t (*tickMs)();
};

// The table in force; the real one unless a test installed another.
const OsLayer& os();
const OsLayer& realOs();
void installOs(const OsLayer* layer);  // nullptr puts the real one back

}  // namespace tolk
