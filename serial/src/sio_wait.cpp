// SioWaitFor, SioRxWait, SioQuiet, SioTimer, SioTimeMark, SioSleep: timed
// waits on a port and the millisecond tick.
//
// Every deadline is kept as a start tick and a duration and tested by
// unsigned subtraction (tick - start >= duration), which stays right when the
// 32-bit tick wraps during a wait; comparing absolute deadline ticks would end
// a wait at once, or never, near the wrap.
#include <poll.h>

#include <algorithm>

#include "port_table.h"
#include "read_engine.h"
#include "tolk.h"

using namespace tolk;

namespace {

uint32_t since(uint32_t start) { return os().tickMs() - start; }

}  // namespace

extern "C" {

TOLK_API int SioWaitFor(int port, unsigned timeoutMs) {
    if (int e = checkPort(port)) return e;
    const uint32_t start = os().tickMs();
    const uint32_t rate = gPorts[port].lineSettings->BaudRate;
    if (rate == 0) return SIO_E_NO_RATE;
    // One 10-bit character time, at least 1 ms.
    const uint32_t pause = std::max<uint32_t>(1, 10000 / rate);
    for (;;) {
        const int r = SioGetc(port);
        if (r != SIO_E_NO_DATA) return r;
        if (since(start) >= timeoutMs) return SIO_E_TIMEOUT;
        os().sleepMs(pause);
    }
}

TOLK_API int SioRxWait(int port, unsigned count, unsigned timeoutMs) {
    if (int e = checkPort(port)) return e;
    const uint32_t cps = gPorts[port].lineSettings->BaudRate / 10;
    bool started = false;
    uint32_t start = 0;
    for (;;) {
        const int n = std::max(waitingInput(port), 0);
        if (static_cast<unsigned>(n) >= count) return n;
        if (!started) {
            start = os().tickMs();
            started = true;
        }
        if (since(start) > timeoutMs) return SIO_E_TIMEOUT;
        // The time the missing bytes need on the line, 1 to 250 ms.
        const uint64_t missing = count - static_cast<unsigned>(n);
        const uint64_t need = cps == 0 ? 250 : missing * 1000 / cps;
        os().sleepMs(static_cast<uint32_t>(std::clamp<uint64_t>(need, 1, 250)));
    }
}

TOLK_API int SioQuiet(int port, unsigned quietMs, unsigned maxMs) {
    if (int e = checkPort(port)) return e;
    const uint32_t start = os().tickMs();
    uint32_t quietSince = start;
    for (;;) {
        if (since(start) >= maxMs) return SIO_E_TIMEOUT;
        const int n = SioRxQue(port);
        if (n < 0) return n;
        if (n > 0) {
            SioRxClear(port);
            quietSince = os().tickMs();
            os().sleepMs(1);
        }
        const uint32_t quiet = since(quietSince);
        if (quiet >= quietMs) return 0;
        // Rather than spin on the queue, sleep until a byte comes or the
        // quiet time or the time limit is up.
        const uint32_t left = std::min(quietMs - quiet, maxMs - std::min(since(start), maxMs));
        os().waitFor(gPorts[port].handle, POLLIN, -1, static_cast<int>(std::min<uint32_t>(left, INT32_MAX)));
    }
}

TOLK_API unsigned SioTimer(void) { return os().tickMs(); }

TOLK_API unsigned SioTimeMark(unsigned mask) {
    const uint32_t tick = os().tickMs();
    return mask == 0 ? tick : tick & mask;
}

TOLK_API int SioSleep(unsigned ms) {
    os().sleepMs(ms);
    return 1;
}

}  // extern "C"
