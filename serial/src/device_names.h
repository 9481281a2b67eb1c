// Which device a port number stands for.
#pragma once

#include <cstddef>

namespace tolk {

// Where a port's device name came from.
enum class NameSource { None = 0, Environment = 1, MapFile = 2, Table = 3 };

// Writes the device path of port (0-based) into buf: TOLK_COM<port+1>, else
// the port map file, else the built-in table. None when the port has no
// device (or the name does not fit): then opening it fails as a missing
// device does.
NameSource deviceSource(int port, char* buf, size_t size);

// The same, as a yes or no.
bool devicePath(int port, char* buf, size_t size);

// The built-in table alone: COM1..32 ttyS0..31, COM33..64 ttyUSB0..31,
// COM65..96 ttyACM0..31, under the device folder.
bool tableDevicePath(int port, char* buf, size_t size);

}  // namespace tolk
