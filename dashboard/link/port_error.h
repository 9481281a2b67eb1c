// Plain words for a port that would not open: which device, what the system
// said, and what the user can do about it.
#pragma once

#include <string>

namespace kvr {

// What to do about an open that failed with the OS error osError; empty when
// there is nothing to suggest. EACCES: the dialout group or the README's udev
// rule; EBUSY: another program has it; ENOENT: nothing is plugged in there.
std::string portOpenHint(int osError);

// "cannot open COM5 (/dev/ttyUSB0): Permission denied: join the dialout group
// ...". port is 0-based; device empty when the port stands for no device;
// result the library's negative result, osError the errno behind an
// SIO_E_OS_ERROR result.
std::string portOpenMessage(int port, const std::string& device, int result, int osError);

// The same for the tolk library's last failed open of port (the device it
// stands for and the stored OS error).
std::string portOpenError(int port, int result);

}  // namespace kvr
