// Line errors and modem lines in the platform's bit values, read from the
// driver's error counters and modem-control lines.
#pragma once

#include "os_layer.h"

namespace tolk {

// Error bits (overrun, parity, framing, break, input overflow) for the
// counters that went up between `before` and `now`.
int errorBitsBetween(const LineCounters& before, const LineCounters& now);

// The line errors since the port's last reading, which this reading replaces:
// each error is reported once. 0 on a device that keeps no counters; -1 when
// the device does not answer.
int takeLineErrors(int port);

// Modem status bits (CTS 0x10, DSR 0x20, RI 0x40, DCD 0x80) of the lines that
// are on; 0 when they cannot be read.
int modemStatus(int fd);

}  // namespace tolk
