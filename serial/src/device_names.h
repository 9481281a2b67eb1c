// Which device a port number stands for.
#pragma once

#include <cstddef>

namespace tolk {

// Writes the device path of port (0-based) into buf. False when the port has
// no device: then opening it fails as a missing device does.
bool devicePath(int port, char* buf, size_t size);

}  // namespace tolk
