#include "dashboard/link/ecu_lines.h"

#include <cstdio>

namespace kvr {
namespace {

// Exactly `width` characters: cut, or padded on the left with spaces.
std::string fit(const std::string& s, size_t width) {
    if (s.size() >= width) return s.substr(0, width);
    return std::string(width - s.size(), ' ') + s;
}

std::string hex(unsigned value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    std::string s(buf);
    return s.substr(s.size() - static_cast<size_t>(digits));
}

}  // namespace

std::string liveRecordBody(const LiveFields& f) {
    std::string r = "*";
    r += fit(f.map, 5);                                   // 2-6
    r += fit(std::to_string(f.running), 5);               // 7-11
    r += f.ignitionSign;                                  // 12
    r += fit(std::to_string(f.ignitionRaw % 100), 2);     // 13-14
    r += ' ';                                             // 15
    r += fit(f.duty, 3);                                  // 16-18
    r += fit(f.knob, 3);                                  // 19-21
    r += ' ';                                             // 22
    r += fit(std::to_string(f.throttle % 100), 2);        // 23-24
    r += fit(f.battery, 4);                               // 25-28
    r += fit(f.afr, 4);                                   // 29-32
    r += fit(f.engineTemp, 3);                            // 33-35
    r += f.engineTempUnit;                                // 36
    r += fit(f.airTemp, 3);                               // 37-39
    r += f.airTempUnit;                                   // 40
    r += "  ";                                            // 41-42
    r += hex(f.pulseCount, 4);                            // 43-46
    r += hex(f.outputs, 2);                               // 47-48
    r += hex(f.period, 6);                                // 49-54
    r += "  ";                                            // 55-56
    r += hex(f.knock, 2);                                 // 57-58
    r += hex(f.checkEngine, 2);                           // 59-60
    r += "    ";                                          // 61-64
    return r;
}

std::string withChecksum(const std::string& body, size_t summed, int digits) {
    unsigned sum = 0;
    for (size_t i = 0; i < summed && i < body.size(); ++i) sum += static_cast<unsigned char>(body[i]);
    const unsigned modulus = digits == 2 ? 256u : 65536u;
    return body + hex(sum % modulus, digits);
}

}  // namespace kvr
