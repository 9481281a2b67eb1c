#include "event_wait.h"

#include <poll.h>

#include <algorithm>

#include "port_table.h"
#include "read_engine.h"
#include "tolk.h"
#include "write_engine.h"

namespace tolk {
namespace {

constexpr uint32_t kInputEvents = SIO_EV_RXCHAR | SIO_EV_RXFLAG;
constexpr uint32_t kModemEvents = SIO_EV_CTS | SIO_EV_DSR | SIO_EV_RLSD | SIO_EV_RING;
constexpr uint32_t kCountedEvents = kModemEvents | SIO_EV_BREAK | SIO_EV_ERR;
constexpr int kStatusPollMs = 10;

// The modem lines and error counters as they were when the wait began.
struct Baseline {
    bool haveLines = false;
    int lines = 0;
    bool haveCounters = false;
    LineCounters counters;
};

Baseline takeBaseline(int fd, uint32_t mask) {
    Baseline b;
    if (mask & kModemEvents) b.haveLines = os().modemGet(fd, &b.lines) == 0;
    if (mask & kCountedEvents) b.haveCounters = os().counters(fd, &b.counters) == 0;
    return b;
}

bool linesChanged(int fd, uint32_t mask, const Baseline& b) {
    int lines = 0;
    if (!b.haveLines || os().modemGet(fd, &lines) != 0) return false;
    const int diff = lines ^ b.lines;
    return ((mask & SIO_EV_CTS) && (diff & kLineCts)) || ((mask & SIO_EV_DSR) && (diff & kLineDsr)) ||
           ((mask & SIO_EV_RLSD) && (diff & kLineDcd)) ||
           ((mask & SIO_EV_RING) && (lines & kLineRi) && !(b.lines & kLineRi));
}

// The counters also catch a line that changed and changed back between looks.
bool countersMoved(int fd, uint32_t mask, const Baseline& b) {
    LineCounters c;
    if (!b.haveCounters || os().counters(fd, &c) != 0) return false;
    const LineCounters& o = b.counters;
    return ((mask & SIO_EV_CTS) && c.cts != o.cts) || ((mask & SIO_EV_DSR) && c.dsr != o.dsr) ||
           ((mask & SIO_EV_RLSD) && c.dcd != o.dcd) || ((mask & SIO_EV_RING) && c.rng != o.rng) ||
           ((mask & SIO_EV_BREAK) && c.brk != o.brk) ||
           ((mask & SIO_EV_ERR) && (c.frame != o.frame || c.parity != o.parity || c.overrun != o.overrun));
}

bool outputEmpty(int port, bool onCallerThread) {
    int queued = 0;
    if (os().outQueue(gPorts[port].handle, &queued) != 0) return false;
    return queued == 0 && (!onCallerThread || unsentBytes(port) == 0);
}

// Publishes a message thread's input events for the caller's reads while
// it waits.
class InputWatch {
public:
    InputWatch(int port, uint32_t mask, uint8_t ch) : port_(port) {
        uint32_t w = 0;
        if (mask & SIO_EV_RXCHAR) w |= kWatchAny;
        if (mask & SIO_EV_RXFLAG) w |= kWatchChar | ch;
        gGates[port].inputWatch.store(w);
    }
    ~InputWatch() { gGates[port_].inputWatch.store(0); }
    InputWatch(const InputWatch&) = delete;
    InputWatch& operator=(const InputWatch&) = delete;

private:
    int port_;
};

}  // namespace

bool enterGate(int port, uint32_t generation) {
    PortGate& g = gGates[port];
    g.waiters.fetch_add(1);
    if (g.closing.load() || g.generation.load() != generation) {
        g.waiters.fetch_sub(1);
        return false;
    }
    return true;
}

void leaveGate(int port) { gGates[port].waiters.fetch_sub(1); }

namespace {

int waitLoop(int port, uint32_t mask, uint8_t eventChar, uint32_t timeoutMs, bool onCallerThread) {
    const int fd = gPorts[port].handle;
    const int wakeFd = gIo[port].wakeFd;
    const Baseline baseline = takeBaseline(fd, mask);
    const bool pollStatus = (mask & (kCountedEvents | SIO_EV_TXEMPTY)) != 0;
    const uint32_t start = os().tickMs();
    for (;;) {
        InputView input;
        if (mask & kInputEvents) {
            input = inspectInput(port, (mask & SIO_EV_RXFLAG) != 0, eventChar);
            if ((mask & SIO_EV_RXCHAR) && input.any) return 3;
            if ((mask & SIO_EV_RXFLAG) && input.eventChar) return 3;
            if (input.gone) return SIO_E_IO;
        }
        if ((mask & SIO_EV_TXEMPTY) && outputEmpty(port, onCallerThread)) return 3;
        if ((mask & kModemEvents) && linesChanged(fd, mask, baseline)) return 3;
        if ((mask & kCountedEvents) && countersMoved(fd, mask, baseline)) return 3;

        // Unsigned differences keep the deadline right across the tick's wrap.
        int slice = -1;
        if (timeoutMs != kNoLimit) {
            const uint32_t elapsed = os().tickMs() - start;
            if (elapsed >= timeoutMs) return 2;
            slice = static_cast<int>(std::min<uint32_t>(timeoutMs - elapsed, INT32_MAX));
        }
        // A full read-ahead leaves the driver's bytes where they are, so the
        // device would poll readable at once: look again after a pause.
        const bool watchInput = (mask & kInputEvents) && !input.full;
        if (pollStatus || ((mask & kInputEvents) && input.full))
            slice = slice < 0 ? kStatusPollMs : std::min(slice, kStatusPollMs);
        const int r = os().waitFor(fd, watchInput ? POLLIN : 0, wakeFd, slice);
        if (r == -2) return 3;
        if (r == -1) return SIO_E_IO;
        // A hung-up line: input waits find out on the next look (bytes that
        // came before it still count); other waits end here.
        if ((r & (POLLHUP | POLLERR | POLLNVAL)) && !(mask & kInputEvents)) return SIO_E_IO;
    }
}

}  // namespace

int waitForEvents(int port, uint32_t mask, uint8_t eventChar, uint32_t timeoutMs, bool onCallerThread) {
    if (mask == 0 || (mask & ~kEventsKnown) != 0) return SIO_E_IO;
    if (onCallerThread || !(mask & kInputEvents))
        return waitLoop(port, mask, eventChar, timeoutMs, onCallerThread);
    // Set before the first look at the input, so bytes the caller's thread
    // takes from the driver after it cannot go unseen.
    InputWatch watch(port, mask, eventChar);
    return waitLoop(port, mask, eventChar, timeoutMs, onCallerThread);
}

}  // namespace tolk
