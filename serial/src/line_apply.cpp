#include "line_apply.h"

#include "port_table.h"

namespace tolk {

int driveLine(int port, int line, bool on) { return os().modemSet(gPorts[port].handle, line, on); }

int applyLineSettings(int port) {
    PortRecord& rec = gPorts[port];
    const LineSettings& s = *rec.lineSettings;
    struct termios t = termiosFromSettings(s, rec.openTermios);
    if (os().setAttr(rec.handle, &t, s.BaudRate) != 0) return -1;
    // Handshake modes leave the line to the driver; the others set it now.
    // A device without modem lines refuses quietly, as a driver would.
    if (s.fDtrControl != kControlHandshake) driveLine(port, kLineDtr, s.fDtrControl == kControlEnable);
    if (s.fRtsControl != kControlHandshake) driveLine(port, kLineRts, s.fRtsControl == kControlEnable);
    return 0;
}

}  // namespace tolk
