// The real OS layer: termios and ioctl on a tty device.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <linux/serial.h>

#include <cerrno>

#include "os_layer.h"
#include "os_rate_linux.h"

namespace tolk {
namespace {

int openDevice(const char* path) {
    int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    // TIOCEXCL alone does not stop root from opening the device again; the
    // advisory lock does, for every process that plays by the same rule.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        int err = (errno == EWOULDBLOCK) ? EBUSY : errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    if (!::isatty(fd)) {
        ::close(fd);
        errno = ENOTTY;
        return -1;
    }
    return fd;
}

int closeDevice(int fd) {
    // The exclusive flag belongs to the tty, not to this descriptor: clear it,
    // or a tty that stays open elsewhere (a simulator holding its slave side)
    // refuses every later open by an ordinary user.
    ::ioctl(fd, TIOCNXCL);
    return ::close(fd);
}

long readBytes(int fd, void* buf, unsigned long n) { return ::read(fd, buf, n); }
long writeBytes(int fd, const void* buf, unsigned long n) { return ::write(fd, buf, n); }

speed_t speedConstant(unsigned rate) {
    switch (rate) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 500000: return B500000;
    case 576000: return B576000;
    case 921600: return B921600;
    case 1000000: return B1000000;
    case 1152000: return B1152000;
    case 1500000: return B1500000;
    case 2000000: return B2000000;
    default: return B0;
    }
}

unsigned rateOfConstant(speed_t constant) {
    static const unsigned kRates[] = {50,     75,     110,     134,     150,     200,     300,
                                      600,    1200,   1800,    2400,    4800,    9600,    19200,
                                      38400,  57600,  115200,  230400,  460800,  500000,  576000,
                                      921600, 1000000, 1152000, 1500000, 2000000};
    for (unsigned r : kRates)
        if (speedConstant(r) == constant) return r;
    return 0;
}

int getAttr(int fd, struct termios* t, unsigned* rate) {
    if (::tcgetattr(fd, t) != 0) return -1;
    if (rateGet(fd, rate) == 0) return 0;
    // Without termios2 (an emulator that does not translate it, as qemu-user
    // does not) the B-constant still tells every standard rate.
    if (errno != ENOSYS && errno != ENOTTY && errno != EINVAL) return -1;
    *rate = rateOfConstant(::cfgetospeed(t));
    return 0;
}

int setAttr(int fd, const struct termios* t, unsigned rate) {
    struct termios copy = *t;
    speed_t constant = speedConstant(rate);
    struct termios now {};
    if (constant != B0) {
        ::cfsetispeed(&copy, constant);
        ::cfsetospeed(&copy, constant);
    } else if (::tcgetattr(fd, &now) == 0) {
        // The rate goes through termios2 below; until then, and if that is
        // refused, the line keeps the rate it has.
        ::cfsetispeed(&copy, ::cfgetispeed(&now));
        ::cfsetospeed(&copy, ::cfgetospeed(&now));
    }
    if (::tcsetattr(fd, TCSANOW, &copy) != 0) return -1;
    return constant != B0 ? 0 : rateSetAny(fd, rate);
}

int inQueue(int fd, int* count) { return ::ioctl(fd, TIOCINQ, count); }
int outQueue(int fd, int* count) { return ::ioctl(fd, TIOCOUTQ, count); }

int flush(int fd, Queue q) {
    return ::tcflush(fd, q == Queue::Input ? TCIFLUSH : q == Queue::Output ? TCOFLUSH : TCIOFLUSH);
}

int modemGet(int fd, int* bits) { return ::ioctl(fd, TIOCMGET, bits); }
int modemSet(int fd, int bits, bool on) { return ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits); }
int breakSet(int fd, bool on) { return ::ioctl(fd, on ? TIOCSBRK : TIOCCBRK); }

int counters(int fd, LineCounters* c) {
    struct serial_icounter_struct ic {};
    if (::ioctl(fd, TIOCGICOUNT, &ic) != 0) return -1;
    c->frame = static_cast<uint32_t>(ic.frame);
    c->overrun = static_cast<uint32_t>(ic.overrun);
    c->parity = static_cast<uint32_t>(ic.parity);
    c->brk = static_cast<uint32_t>(ic.brk);
    c->bufOverrun = static_cast<uint32_t>(ic.buf_overrun);
    c->cts = static_cast<uint32_t>(ic.cts);
    c->dsr = static_cast<uint32_t>(ic.dsr);
    c->rng = static_cast<uint32_t>(ic.rng);
    c->dcd = static_cast<uint32_t>(ic.dcd);
    return 0;
}

int waitFor(int fd, short events, int wakeFd, int timeoutMs) {
    struct pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    int n = ::poll(fds, wakeFd >= 0 ? 2 : 1, timeoutMs);
    if (n < 0) return errno == EINTR ? 0 : -1;
    if (wakeFd >= 0 && (fds[1].revents & POLLIN)) return -2;
    return fds[0].revents;
}

int wakeCreate() { return ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }
void wakeSignal(int wakeFd) {
    uint64_t one = 1;
    if (::write(wakeFd, &one, sizeof one) < 0) {
        // Only fails when the counter is saturated, which still means "signalled".
    }
}
void wakeDrain(int wakeFd) {
    uint64_t value;
    while (::read(wakeFd, &value, sizeof value) > 0) {
    }
}
void wakeClose(int wakeFd) { ::close(wakeFd); }

int startThread(void* (*body)(void*), void* arg) {
    pthread_attr_t attr;
    if (::pthread_attr_init(&attr) != 0) return -1;
    // Detached from birth: nobody joins it, and its handle is released once,
    // by the system, when it ends.
    ::pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_t id;
    const int err = ::pthread_create(&id, &attr, body, arg);
    ::pthread_attr_destroy(&attr);
    if (err != 0) {
        errno = err;
        return -1;
    }
    return 0;
}

void sleepMs(uint32_t ms) {
    struct timespec ts {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

uint32_t tickMs() {
    struct timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    // Wraps after 2^32 ms, as callers expect of the millisecond tick.
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

const OsLayer kReal = {openDevice, closeDevice, readBytes, writeBytes, getAttr,  setAttr,
                       inQueue,    outQueue,    flush,     modemGet,   modemSet, breakSet,
                       counters,   waitFor,     wakeCreate, wakeSignal, wakeDrain, wakeClose,
                       startThread, sleepMs,    tickMs};

const OsLayer* gInstalled = &kReal;

}  // namespace

const OsLayer& os() { return *gInstalled; }
const OsLayer& realOs() { return kReal; }
void installOs(const OsLayer* layer) { gInstalled = layer ? layer : &kReal; }

}  // namespace tolk
