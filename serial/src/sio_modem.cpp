// SioDTR, SioRTS, SioCTS, SioDSR, SioRI, SioDCD, SioBrkSig: the modem-control
// lines and the break.
#include "line_apply.h"
#include "line_status.h"
#include "port_table.h"
#include "tolk.h"

using namespace tolk;

namespace {

// 'S' and 'C' record the request before asking the driver, so the request
// stands (and SioParms/SioFlow repeat it) even when the driver refuses.
int outputLine(int port, unsigned char letter, uint8_t flag, int line) {
    if (int e = checkPort(port)) return e;
    uint8_t& flags = gPorts[port].lineFlags;
    switch (letter) {
        case 'S':
            flags = static_cast<uint8_t>(flags | flag);
            return driveLine(port, line, true) == 0 ? 1 : 0;
        case 'C':
            flags = static_cast<uint8_t>(flags & ~flag);
            return driveLine(port, line, false) == 0 ? 1 : 0;
        case 'R':
            return flags & flag;
        default:
            return SIO_E_BAD_ARG;
    }
}

int inputLine(int port, int bit) {
    if (int e = checkPort(port)) return e;
    return modemStatus(gPorts[port].handle) & bit;
}

}  // namespace

extern "C" {

TOLK_API int SioDTR(int port, unsigned char letter) { return outputLine(port, letter, 1, kLineDtr); }
TOLK_API int SioRTS(int port, unsigned char letter) { return outputLine(port, letter, 2, kLineRts); }

TOLK_API int SioCTS(int port) { return inputLine(port, SIO_MS_CTS); }
TOLK_API int SioDSR(int port) { return inputLine(port, SIO_MS_DSR); }
TOLK_API int SioRI(int port) { return inputLine(port, SIO_MS_RING); }
TOLK_API int SioDCD(int port) { return inputLine(port, SIO_MS_DCD); }

TOLK_API int SioBrkSig(int port, unsigned char letter) {
    if (int e = checkPort(port)) return e;
    const int fd = gPorts[port].handle;
    switch (letter) {
        case 'A':
            return os().breakSet(fd, true) == 0 ? 1 : 0;
        case 'C':
            return os().breakSet(fd, false) == 0 ? 1 : 0;
        case 'D': {
            const int bits = takeLineErrors(port);
            return bits < 0 ? 0 : (bits & SIO_CE_BREAK);
        }
        default:
            return SIO_E_BAD_ARG;
    }
}

}  // extern "C"
