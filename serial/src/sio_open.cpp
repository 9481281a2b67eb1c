// SioReset, SioDone, SioBaud: opening, closing and the line rate.
#include <cerrno>
#include <cstdio>

#include "device_names.h"
#include "diagnostics.h"
#include "line_apply.h"
#include "port_table.h"
#include "read_engine.h"
#include "tolk.h"

using namespace tolk;

namespace {

constexpr unsigned kBaudCodes[10] = {110, 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

unsigned rateOf(unsigned value) { return value <= 9 ? kBaudCodes[value] : value; }

// The read timing at open: every read returns at once with what is waiting.
constexpr Timeouts kOpenTimeouts{kNoLimit, 0, 0, 0, 0};

// The open-time settings: the open defaults, raw binary, no flow control.
void setOpenSettings(LineSettings& s, int rxQueueSize) {
    s.BaudRate = gLib.openRate;
    s.ByteSize = static_cast<uint8_t>(gLib.openDataBits);
    s.Parity = static_cast<uint8_t>(gLib.openParity);
    s.StopBits = static_cast<uint8_t>(gLib.openStopBits);
    s.fBinary = 1;
    s.fNull = 0;
    s.fOutxDsrFlow = 0;
    s.fOutxCtsFlow = 0;
    s.fDtrControl = gLib.openDtr ? kControlEnable : kControlDisable;
    s.fRtsControl = gLib.openRts ? kControlEnable : kControlDisable;
    s.fInX = 0;
    s.fOutX = 0;
    s.fTXContinueOnXoff = 1;
    s.fDsrSensitivity = 0;
    s.fAbortOnError = 0;
    s.XonChar = 0x11;
    s.XoffChar = 0x13;
    const uint16_t limit = rxQueueSize > 512 ? 128 : static_cast<uint16_t>(rxQueueSize / 4);
    s.XonLim = limit;
    s.XoffLim = limit;
}

// Tries up to 20 times to learn whether a byte is already waiting; a waiting
// byte is kept as the push-back byte so it is not lost.
int probe(int port) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        int c = SioGetc(port);
        if (c == SIO_E_NO_DATA) return 1;
        if (c >= 0) {
            gPorts[port].pushback = static_cast<uint8_t>(c);
            gPorts[port].hasPushback = true;
            return 2;
        }
        os().sleepMs(50);
    }
    return SIO_E_IO;
}

}  // namespace

extern "C" {

TOLK_API int SioReset(int port, int rxQueueSize, int txQueueSize) {
    if (port == -1) {
        gLib.openDtr = (rxQueueSize & 1) != 0;
        gLib.openRts = (txQueueSize & 1) != 0;
        return 0;
    }
    if (checkRange(port) != 0) return SIO_E_RANGE;
    initialiseLibrary();

    char path[512];
    if (!devicePath(port, path, sizeof path)) {
        errno = ENOENT;
        return osFailure();
    }
    const int fd = os().openDevice(path);
    if (fd < 0) return osFailure();

    PortRecord& rec = gPorts[port];
    PortIo& io = gIo[port];
    rec.handle = fd;
    gGates[port].closing.store(false);
    rec.hungUp = false;
    rec.hasPushback = false;
    rec.pushback = 0;
    clearReadAhead(port);
    io = PortIo{};
    io.handle = fd;
    if (gLib.synchronous) {
        gLib.anySynchronousOpen = true;
    } else {
        io.wakeFd = os().wakeCreate();
        if (io.wakeFd < 0) {
            report("tolk64", "Assertion failed: oioPtr->hEvent, line 372");
            return SIO_E_IO;
        }
    }

    struct termios found {};
    unsigned foundRate = 0;
    rec.openTermiosRate = 0;
    if (os().getAttr(fd, &found, &foundRate) != 0) return osFailure();
    rec.openTermios = found;
    rec.openTermiosRate = foundRate;
    rec.savedTimeouts = rec.deviceTimeouts;
    LineSettings& settings = *rec.lineSettings;
    settingsFromTermios(found, foundRate, settings);
    setOpenSettings(settings, rxQueueSize);
    if (applyLineSettings(port) != 0) return osFailure();

    // Linux sizes its queues itself; a negative size is the one request a
    // driver could not honour.
    if ((rxQueueSize < 0 || txQueueSize < 0) && !gLib.ignoreQueueRefusal) return SIO_E_BUFFERS;
    if (gLib.resetDeviceAtOpen && os().flush(fd, Queue::Both) != 0) return osFailure();
    os().counters(fd, &rec.lastCounters);  // errors from before the open are not ours
    rec.deviceTimeouts = kOpenTimeouts;

    rec.portIndex = port;
    rec.dataMask = static_cast<uint8_t>((1u << gLib.openDataBits) - 1);
    rec.readWaitMs = 50;
    if (gLib.synchronous) return 0;

    os().sleepMs(1);
    rec.readWaitMs = 1000;
    return probe(port);
}

TOLK_API int SioDone(int port) {
    if (int e = checkPort(port)) return e;
    PortRecord& rec = gPorts[port];
    PortIo& io = gIo[port];
    PortGate& gate = gGates[port];

    // Release every event waiter (on another thread, or the message thread)
    // and keep the wake channel and device open until they have let go. They
    // leave as soon as they see the signal, so this wait is short.
    gate.closing.store(true);
    gate.generation.fetch_add(1);
    if (io.wakeFd >= 0) os().wakeSignal(io.wakeFd);
    while (gate.waiters.load() != 0) os().sleepMs(1);
    // The message thread, if any, ends by itself; it is not waited for.
    gate.messageThread.store(0);

    // Put back the terminal settings the tty had at open, all of them (a
    // serial console the port scan opened must not stay raw at another
    // rate), and the timeouts it had before.
    rec.deviceTimeouts = rec.savedTimeouts;
    // Nothing to put back when the open failed before reading them.
    if (!rec.hungUp && rec.openTermiosRate != 0) os().setAttr(rec.handle, &rec.openTermios, rec.openTermiosRate);
    rec.openTermiosRate = 0;

    const int fd = rec.handle;
    rec.handle = -1;
    if (io.wakeFd >= 0) os().wakeClose(io.wakeFd);
    io = PortIo{};
    clearReadAhead(port);
    rec.hungUp = false;
    if (os().closeDevice(fd) != 0) {
        ++gLib.failedCloses;
        return 0;
    }
    return 1;
}

TOLK_API int SioBaud(int port, unsigned rate) {
    const unsigned r = rateOf(rate);
    if (port == -1) {
        gLib.openRate = r;
        return 0;
    }
    if (int e = checkPort(port)) return e;
    gPorts[port].lineSettings->BaudRate = r;
    return applyLineSettings(port) == 0 ? 1 : 0;
}

}  // extern "C"
