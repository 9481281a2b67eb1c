// SioParms, SioFlow, SioSetTimeouts, SioStatus: character format, flow
// control, timeouts and line errors of an open port.
#include <cerrno>

#include "line_apply.h"
#include "line_status.h"
#include "port_table.h"
#include "tolk.h"

using namespace tolk;

namespace {

// After the tty took new settings, lines the caller raised with SioDTR/SioRTS
// go up again: applying the settings drove them as the control fields say.
void raiseRequestedLines(int port) {
    const uint8_t flags = gPorts[port].lineFlags;
    if (flags & 1) driveLine(port, kLineDtr, true);
    if (flags & 2) driveLine(port, kLineRts, true);
}

}  // namespace

extern "C" {

TOLK_API int SioParms(int port, int parity, int stopBits, int dataBits) {
    if (parity < 0 || parity > 4 || stopBits < 0 || stopBits > 2 || dataBits < 5 || dataBits > 8)
        return SIO_E_BAD_ARG;
    if (port == -1) {
        gLib.openParity = parity;
        gLib.openStopBits = stopBits;
        gLib.openDataBits = dataBits;
        return 0;
    }
    if (int e = checkPort(port)) return e;
    PortRecord& rec = gPorts[port];
    LineSettings& s = *rec.lineSettings;
    s.Parity = static_cast<uint8_t>(parity);
    s.StopBits = static_cast<uint8_t>(stopBits);
    s.ByteSize = static_cast<uint8_t>(dataBits);
    rec.dataMask = static_cast<uint8_t>((1u << dataBits) - 1);
    // A refusal is not reported; the stored format already holds the request.
    if (applyLineSettings(port) != 0) return 0;
    raiseRequestedLines(port);
    return 0;
}

TOLK_API int SioFlow(int port, unsigned char mode) {
    if (int e = checkPort(port)) return e;
    uint8_t cts, rts, outX, inX;
    switch (mode) {
        case 'H':
            cts = 1, rts = kControlHandshake, outX = 0, inX = 0;
            break;
        case 'S':
            cts = 0, rts = kControlDisable, outX = 1, inX = 1;
            break;
        case 'N':
            cts = 0, rts = kControlDisable, outX = 0, inX = 0;
            break;
        default:
            return SIO_E_BAD_ARG;
    }
    LineSettings& s = *gPorts[port].lineSettings;
    s.fOutxCtsFlow = cts;
    s.fRtsControl = rts;
    s.fOutX = outX;
    s.fInX = inX;
    if (applyLineSettings(port) == 0) raiseRequestedLines(port);
    return 1;
}

TOLK_API int SioSetTimeouts(int port, unsigned readInterval, unsigned readMultiplier, unsigned readConstant,
                            unsigned writeMultiplier, unsigned writeConstant) {
    if (int e = checkPort(port)) return e;
    PortRecord& rec = gPorts[port];
    rec.timeouts = Timeouts{readInterval, readMultiplier, readConstant, writeMultiplier, writeConstant};
    // The timeouts are the library's own: its reads and writes wait by them.
    // The device only has to be there to take them.
    struct termios t {};
    unsigned rate = 0;
    if (rec.hungUp || os().getAttr(rec.handle, &t, &rate) != 0) {
        if (rec.hungUp) errno = EIO;
        return osFailure();
    }
    rec.deviceTimeouts = rec.timeouts;
    return 1;
}

TOLK_API int SioStatus(int port, unsigned mask) {
    if (int e = checkPort(port)) return e;
    const int bits = takeLineErrors(port);
    return bits < 0 ? -1 : static_cast<int>(static_cast<unsigned>(bits) & mask);
}

}  // extern "C"
