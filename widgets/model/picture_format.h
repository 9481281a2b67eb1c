// Numbers formatted with picture strings: "#" an optional digit, "0" a forced
// digit, "." the decimal point; for example "##0.0" or ".##". Used for meter
// readings, meter and chart scales, and read-outs.
#pragma once

#include <string>

namespace kvr {

// Rounds half away from zero to the picture's decimals. Optional decimals
// that come out as trailing zeros are dropped, and the point with them when
// none remain. A number that would print as nothing prints as "0".
std::string formatPicture(double value, const std::string& picture);

}  // namespace kvr
