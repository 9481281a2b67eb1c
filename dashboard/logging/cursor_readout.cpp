#include "dashboard/logging/cursor_readout.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kvr {

std::string fixedWithPrecision(double value, int precision, int decimals) {
    char buf[64];
    if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    // The integer digits the value needs, judged after rounding to its
    // significant digits (99.96 with two digits is 100).
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, value);
    const double rounded = std::strtod(buf, nullptr);
    const double magnitude = std::fabs(rounded);
    const int intDigits = magnitude < 1 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
    if (intDigits > precision) {
        std::snprintf(buf, sizeof buf, "%.*E", precision - 1, value);
        return buf;
    }
    std::snprintf(buf, sizeof buf, "%.*f", decimals, rounded);
    std::string s(buf);
    if (s[0] == '-' && std::strtod(buf, nullptr) == 0) s.erase(0, 1);  // no "-0"
    return s;
}

std::string cursorReadout(const float (&v)[8]) {
    struct Piece {
        const char* label;
        int channel;
        int precision;
        int decimals;
    };
    static const Piece kPieces[8] = {
        {"RPM= ", 1, 5, 0},  {"MAP= ", 3, 4, 2}, {"AFR= ", 2, 4, 1},       {"KNOCK= ", 7, 4, 0},
        {"IGN= ", 4, 2, 0},  {"TP= ", 5, 2, 0},  {"AIR TEMP= ", 6, 3, 0}, {"DUTY= ", 8, 3, 0},
    };
    std::string line;
    for (const Piece& p : kPieces) {
        if (!line.empty()) line += ", ";
        line += p.label + fixedWithPrecision(v[p.channel - 1], p.precision, p.decimals);
    }
    return line;
}

}  // namespace kvr
