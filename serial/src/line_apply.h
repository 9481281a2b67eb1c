// Handing a port's LineSettings to the driver.
#pragma once

namespace tolk {

// Writes the port's settings to the tty (format, rate, flow control) and drives
// DTR and RTS as their control fields say. 0 on success, -1 with errno when
// the tty refused the settings.
int applyLineSettings(int port);

// Raises or drops a modem line. Lines a device does not have (a
// pseudo-terminal has none) count as refused. 0 on success, -1 with errno.
int driveLine(int port, int line, bool on);

}  // namespace tolk
