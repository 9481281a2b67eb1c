// SioEventWait, SioEvent, SioEventChar: waiting for comm events on the
// caller's thread.
#include <cerrno>

#include "event_wait.h"
#include "port_table.h"
#include "tolk.h"

using namespace tolk;

namespace {

int waitOnCallerThread(int port, uint32_t mask, uint32_t timeoutMs) {
    gPorts[port].eventMask = mask;
    if (synchronousPath()) return 3;
    const uint32_t generation = gGates[port].generation.load();
    // A port being closed from another thread releases the wait at once.
    if (!enterGate(port, generation)) return 3;
    PortIo& io = gIo[port];
    // Arming forgets earlier releases; one that raced with the closing
    // flag is caught by looking at the flag again after the drain.
    os().wakeDrain(io.wakeFd);
    int r = 3;
    if (!gGates[port].closing.load())
        r = waitForEvents(port, mask, gPorts[port].lineSettings->EvtChar, timeoutMs, true);
    io.eventState = r == 3 ? kOpDone : r == 2 ? kOpPending : kOpFailed;
    leaveGate(port);
    return r;
}

}  // namespace

extern "C" {

TOLK_API int SioEventWait(int port, unsigned mask, unsigned timeoutMs) {
    if (int e = checkPort(port)) return e;
    return waitOnCallerThread(port, mask, timeoutMs);
}

TOLK_API int SioEvent(int port, unsigned mask) { return SioEventWait(port, mask, kNoLimit); }

TOLK_API int SioEventChar(int port, unsigned char ch, unsigned timeoutMs) {
    if (int e = checkRange(port)) return e;
    PortRecord& rec = gPorts[port];
    // A closed port has no settings to read.
    if (rec.handle < 0) {
        errno = EBADF;
        return osFailure();
    }
    struct termios t {};
    unsigned rate = 0;
    if (os().getAttr(rec.handle, &t, &rate) != 0) return osFailure();
    // The event character is the library's own: the tty has no such setting.
    rec.lineSettings->EvtChar = ch;
    return waitOnCallerThread(port, SIO_EV_RXFLAG, timeoutMs);
}

}  // extern "C"
