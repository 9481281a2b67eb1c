#include "line_status.h"

#include <cerrno>

#include "port_table.h"
#include "tolk.h"

namespace tolk {

int errorBitsBetween(const LineCounters& before, const LineCounters& now) {
    int bits = 0;
    if (now.bufOverrun != before.bufOverrun) bits |= SIO_CE_RXOVER;
    if (now.overrun != before.overrun) bits |= SIO_CE_OVERRUN;
    if (now.parity != before.parity) bits |= SIO_CE_RXPARITY;
    if (now.frame != before.frame) bits |= SIO_CE_FRAME;
    if (now.brk != before.brk) bits |= SIO_CE_BREAK;
    return bits;
}

int takeLineErrors(int port) {
    PortRecord& rec = gPorts[port];
    LineCounters now;
    if (os().counters(rec.handle, &now) != 0) {
        // Pseudo-terminals and some adapters count no errors: they have none
        // to report. Any other failure means the device does not answer.
        return (errno == ENOTTY || errno == EINVAL) ? 0 : -1;
    }
    const int bits = errorBitsBetween(rec.lastCounters, now);
    rec.lastCounters = now;
    return bits;
}

int modemStatus(int fd) {
    int lines = 0;
    if (os().modemGet(fd, &lines) != 0) return 0;
    int bits = 0;
    if (lines & kLineCts) bits |= SIO_MS_CTS;
    if (lines & kLineDsr) bits |= SIO_MS_DSR;
    if (lines & kLineRi) bits |= SIO_MS_RING;
    if (lines & kLineDcd) bits |= SIO_MS_DCD;
    return bits;
}

}  // namespace tolk
