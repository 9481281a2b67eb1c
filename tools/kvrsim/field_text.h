// Writing numbers into live record fields the way the ECU pads them.
#pragma once

#include <cstdio>
#include <string>

namespace kvrsim {

// `v` right-aligned in `width` characters with `decimals` decimals.
inline std::string realField(double v, int width, int decimals) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, v);
    return buf;
}

inline std::string integerField(long v, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*ld", width, v);
    return buf;
}

// The mixture field: an air/fuel ratio ("14.7"), or with a narrow-band
// sensor its volts ("0.8V").
inline std::string afrField(double afr) { return realField(afr, 4, 1); }
inline std::string o2VoltsField(double volts) { return realField(volts, 3, 1) + "V"; }

}  // namespace kvrsim
