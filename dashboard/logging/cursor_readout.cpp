#include "dashboard/logging/cursor_readout.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>

#include "dashboard/logging/trend_record.h"
#include "widgets/model/trend_time.h"

namespace kvr {

namespace {

struct Piece {
    const char* label;
    int channel;
    int precision;
    int decimals;
};

// The read-out's order and formats.
constexpr Piece kPieces[8] = {
    {"RPM= ", 1, 5, 0},  {"MAP= ", 3, 4, 2}, {"AFR= ", 2, 4, 1},       {"KNOCK= ", 7, 4, 0},
    {"IGN= ", 4, 2, 0},  {"TP= ", 5, 2, 0},  {"AIR TEMP= ", 6, 3, 0}, {"DUTY= ", 8, 3, 0},
};

// Up to the year 9999; a log file from elsewhere may hold anything.
bool isTimeOfDay(double days) { return std::isfinite(days) && std::fabs(days) < 2958466.0; }

// A difference as the read-out writes values, a rise marked with "+".
std::string signedText(double value, int precision, int decimals) {
    std::string text = fixedWithPrecision(value, precision, decimals);
    if (text[0] != '-' && std::strtod(text.c_str(), nullptr) > 0) text.insert(0, "+");
    return text;
}

}  // namespace

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

std::string cursorReadout(const float (&v)[8]) { return cursorReadout(v, ReadoutUnits{}); }

std::string cursorReadout(const float (&v)[8], const ReadoutUnits& units) {
    std::string line;
    for (const Piece& p : kPieces) {
        if (!line.empty()) line += ", ";
        line += p.label + fixedWithPrecision(v[p.channel - 1], p.precision, p.decimals);
        const std::string& unit = units[static_cast<std::size_t>(p.channel - 1)];
        if (!unit.empty()) line += " " + unit;
    }
    return line;
}

std::string cursorReadout(const float (&values)[8], double days, const ReadoutUnits& units) {
    return cursorReadout(values, units) + ", TIME= " + cursorTimeText(days);
}

std::string channelRangeText(const std::string& name, double from, double to, const std::string& unit) {
    // As many decimals as the range's ends need, at most two.
    auto number = [](double v) {
        char text[32];
        for (int decimals = 0; decimals <= 2; ++decimals) {
            std::snprintf(text, sizeof text, "%.*f", decimals, v);
            if (std::fabs(std::strtod(text, nullptr) - v) < 1e-4 * std::max(1.0, std::fabs(v))) break;
        }
        // A bound kept just off zero (0.000001) reads as 0, not "-0".
        return std::strtod(text, nullptr) == 0 ? std::string("0") : std::string(text);
    };
    std::string text = name + ": " + number(from) + " to " + number(to);
    if (!unit.empty()) text += " " + unit;
    return text;
}

std::string cursorTimeText(double days) {
    if (days == kSeparatorTime) return "gap";
    char text[32];
    if (!isTimeOfDay(days)) {
        std::snprintf(text, sizeof text, "%.17g", days);
        return text;
    }
    const int32_t ms = splitDays(days).msOfDay;
    const int32_t s = ms / 1000;
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", s / 3600, s / 60 % 60, s % 60, ms % 1000);
    return text;
}

std::string cursorReadout(const float (&values)[8], double days) {
    return cursorReadout(values) + ", TIME= " + cursorTimeText(days);
}

std::string referenceReadout(const float (&cursor)[8], double cursorDays, const float (&reference)[8],
                             double referenceDays) {
    std::string line = "REF= " + cursorTimeText(referenceDays) + ", dT= ";
    if (cursorDays == kSeparatorTime || referenceDays == kSeparatorTime) {
        line += "gap";
    } else if (!isTimeOfDay(cursorDays) || !isTimeOfDay(referenceDays)) {
        line += "?";
    } else {
        // Whole milliseconds on both sides, so equal times give exactly 0.
        const DayTime a = splitDays(cursorDays);
        const DayTime b = splitDays(referenceDays);
        const int64_t ms = (a.day - b.day) * 86400000 + (a.msOfDay - b.msOfDay);
        const int64_t whole = ms < 0 ? -ms : ms;
        char text[48];
        std::snprintf(text, sizeof text, "%s%lld.%03lld s", ms > 0 ? "+" : (ms < 0 ? "-" : ""),
                      static_cast<long long>(whole / 1000), static_cast<long long>(whole % 1000));
        line += text;
    }
    for (const Piece& p : kPieces) {
        const double difference =
            static_cast<double>(cursor[p.channel - 1]) - static_cast<double>(reference[p.channel - 1]);
        line += std::string(", d") + p.label + signedText(difference, p.precision, p.decimals);
    }
    return line;
}

}  // namespace kvr
