// The values image the simulator sends when it has no .KVV file to send instead.
#pragma once

#include <string>

namespace kvrsim {

// A complete image text (2243 characters, no line end) of a 4-cylinder engine with a 2 bar MAP
// sensor, GM temperature sensors, a wide-band oxygen sensor and ECU software 31.0.
std::string defaultValuesImage();

}  // namespace kvrsim
