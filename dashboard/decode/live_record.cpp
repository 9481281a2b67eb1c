#include "dashboard/decode/live_record.h"

#include <cctype>

#include "dashboard/decode/text_numbers.h"

namespace kvr {
namespace {

// Cylinder count as the image's byte 3 reads in decimal: 999 when its two
// characters are not both digits.
int32_t cylinderCountOf(const std::string& valuesText) {
    const std::string two = field(valuesText, 8, 2);
    if (two.size() != 2 || !std::isdigit(static_cast<unsigned char>(two[0])) ||
        !std::isdigit(static_cast<unsigned char>(two[1])))
        return 999;
    return (two[0] - '0') * 10 + (two[1] - '0');
}

char charAt(const std::string& line, size_t position) {
    const std::string c = field(line, position, 1);
    return c.empty() ? ' ' : c[0];
}

void decodeSpeed(const std::string& r, const std::string& valuesText, LiveRecord& out) {
    out.engineRunning = field(r, 7, 5) != "    0";
    if (!out.engineRunning) return;
    out.cylinderCount = cylinderCountOf(valuesText);
    const auto period = hexNumber(field(r, 49, 6));
    if (!period) return;
    out.rpmPeriod = static_cast<int32_t>(*period);
    if (*out.rpmPeriod == 0 || out.cylinderCount == 0) return;
    // 32-bit integer arithmetic, truncating, in this order.
    const int32_t perRev = 120 / out.cylinderCount;
    out.rpm = static_cast<int32_t>(perRev * 2000000) / *out.rpmPeriod;
}

void decodeMixture(const std::string& r, LiveRecord& out) {
    out.mixtureText = field(r, 29, 4);
    out.mixtureSkipped = field(r, 30, 1) == "-";
    out.o2Form = field(r, 32, 1) == "V";
    if (out.o2Form) {
        out.o2Volts = realNumber(field(r, 29, 3));
        return;
    }
    out.mixtureError = field(r, 29, 3) == "ERR";
    if (!out.mixtureError) out.afr = realNumber(out.mixtureText);
}

}  // namespace

int32_t correctIgnition(std::string& line) {
    const long raw = decimalNumber(field(line, 13, 2)).value_or(0);
    if (field(line, 12, 1) == "-") return static_cast<int32_t>(-raw);
    const auto ignition = static_cast<int32_t>(56 - raw);
    if (line.size() < 14) return ignition;
    const long shown = ignition < 0 ? -ignition : ignition;
    std::string digits = shown >= 10 ? std::to_string(shown % 100) : " " + std::to_string(shown);
    if (ignition < 0) line[11] = '-';
    line.replace(12, 2, digits);
    return ignition;
}

LiveRecord decodeLiveRecord(const std::string& line, const RecordContext& context) {
    static const std::string kNoImage;
    const std::string& image = context.valuesText ? *context.valuesText : kNoImage;
    LiveRecord out;
    out.line = line;
    const std::string& r = line;

    out.mapText = field(r, 2, 5);
    out.mapAvailable = out.mapText != "  N/A";
    if (out.mapAvailable) out.map = realNumber(out.mapText);

    decodeSpeed(r, image, out);

    // The line is already corrected: a "-" is a retard, else the advance.
    const long ignition = decimalNumber(field(r, 13, 2)).value_or(0);
    out.ignition = static_cast<int32_t>(field(r, 12, 1) == "-" ? -ignition : ignition);

    out.dutyText = field(r, 16, 3);
    if (out.dutyText != "RPM" && out.dutyText != "MAP" && out.dutyText != "TP ")
        out.dutyPercent = decimalNumber(out.dutyText);
    out.knobText = field(r, 19, 3);
    out.knobPercent = decimalNumber(out.knobText);
    out.throttle = static_cast<uint8_t>(decimalNumber(field(r, 23, 2)).value_or(0) & 0xFF);
    out.batteryText = field(r, 25, 4);
    out.batteryVolts = realNumber(out.batteryText);

    decodeMixture(r, out);

    out.engineTempText = field(r, 33, 3);
    out.engineTempUnit = charAt(r, 36);
    out.engineTemp = realNumber(out.engineTempText);
    out.airTempText = field(r, 37, 3);
    out.airTempUnit = charAt(r, 40);
    out.airTemp = realNumber(out.airTempText);

    if (const auto count = hexNumber(field(r, 43, 4))) {
        // Counted in 0.5 us before software 31.0, in 1 us from it.
        out.pulseMs = context.softwareVersion < 3100 ? *count * 0.0005 : *count * 2 * 0.0005;
    }
    if (const auto bits = hexNumber(field(r, 47, 2))) out.outputs = static_cast<uint8_t>(*bits & 0xFF);
    out.knock = static_cast<int32_t>(hexNumber(field(r, 57, 2)).value_or(0));
    out.checkEngine = static_cast<int32_t>(hexNumber(field(r, 59, 2)).value_or(0));

    out.softwareMajor = hexNumber(field(image, 1014, 2)).value_or(0);
    out.softwareMinor = hexNumber(field(image, 1016, 2)).value_or(0);
    return out;
}

}  // namespace kvr
