// Building the lines the ECU sends: a live record from its fields, and the
// checksum digits each kind of line ends with. The simulator and the tests
// use these; the framer checks the same sums.
#pragma once

#include <cstdint>
#include <string>

namespace kvr {

// The fields of a live record as the ECU writes them (widths in brackets).
struct LiveFields {
    std::string map = " 12.5";     // [5] real or "  N/A"
    int running = 1;               // [5] right-aligned; 0 means the engine stands
    char ignitionSign = ' ';       // [1] "-" for a retard
    int ignitionRaw = 30;          // [2] 56 - advance, or the retard
    std::string duty = " 35";      // [3] decimal or "RPM", "MAP", "TP "
    std::string knob = " 50";      // [3]
    int throttle = 12;             // [2]
    std::string battery = "13.8";  // [4]
    std::string afr = "14.7";      // [4] real, "ERR" or O2 volts "0.8V"
    std::string engineTemp = "185";  // [3]
    char engineTempUnit = 'F';
    std::string airTemp = " 75";   // [3]
    char airTempUnit = 'F';
    unsigned pulseCount = 0x1F40;  // [4 hex]
    unsigned outputs = 0x03;       // [2 hex]
    unsigned period = 20000;       // [6 hex]
    unsigned knock = 0;            // [2 hex]
    unsigned checkEngine = 0;      // [2 hex]
};

// The 64 characters of a live record before its checksum.
std::string liveRecordBody(const LiveFields& f);

// Appends the checksum: the sum of the character codes of the first
// `summed` characters, modulo 16^digits, as upper-case hex digits.
std::string withChecksum(const std::string& body, size_t summed, int digits);

inline std::string sealLiveRecord(const std::string& body64) { return withChecksum(body64, 64, 2); }
inline std::string sealSetupLine(const std::string& body25) { return withChecksum(body25, 25, 2); }
inline std::string sealImageText(const std::string& body2239) { return withChecksum(body2239, 2239, 4); }

}  // namespace kvr
