#include "port_table.h"

#include <cerrno>

#include "tolk.h"

namespace tolk {

PortRecord gPorts[kPortCount];
PortIo gIo[kPortCount];
LineSettings gLineSettings[kPortCount];
ReadAhead gReadAhead[kPortCount];
Library gLib;
PortGate gGates[kPortCount];

void initialiseLibrary() {
    if (gLib.initialised) return;
    for (int i = 0; i < kPortCount; ++i) {
        gPorts[i].handle = -1;
        gPorts[i].lineFlags = 0;
        gPorts[i].pushback = 0;
        gPorts[i].hasPushback = false;
        gPorts[i].lineSettings = &gLineSettings[i];
        gIo[i].handle = -1;
    }
    // The overlapped path is the one that suits every Linux kernel; the other
    // mode stays selectable with SioSetInteger('O').
    gLib.synchronous = false;
    gLib.initialised = true;
}

int checkRange(int port) { return (port < 0 || port >= kPortCount) ? SIO_E_RANGE : 0; }

int checkPort(int port) {
    if (checkRange(port) != 0) return SIO_E_RANGE;
    if (gPorts[port].handle < 0) return SIO_E_NOT_OPEN;
    return 0;
}

int osFailure() {
    gLib.lastOsError = errno;
    return SIO_E_OS_ERROR;
}

}  // namespace tolk
