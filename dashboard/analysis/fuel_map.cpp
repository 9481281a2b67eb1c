#include "dashboard/analysis/fuel_map.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "dashboard/values/fill_context.h"
#include "dashboard/values/parameter_sheets.h"
#include "dashboard/values/values_image.h"
#include "dashboard/values/values_layout.h"

namespace kvr {
namespace {

bool number(const std::string& label, double& out) {
    const char* s = label.c_str();
    while (*s == ' ') ++s;
    char* end = nullptr;
    out = std::strtod(s, &end);
    if (end == s) return false;
    while (*end == ' ') ++end;
    return *end == '\0' && std::isfinite(out);
}

char hexDigit(int v) { return "0123456789ABCDEF"[v & 15]; }

void putByte(std::string& text, int k, int value) {
    const size_t at = static_cast<size_t>(imageBytePosition(k) - 1);  // 0-based
    if (at + 1 >= text.size()) return;
    text[at] = hexDigit(value >> 4);
    text[at + 1] = hexDigit(value);
}

double interpolate(const double* centres, const int* values, int count, double x) {
    const BinPosition p = binPosition(centres, count, x);
    return values[p.low] + (values[p.high] - values[p.low]) * p.weight;
}

}  // namespace

bool readFuelMap(const std::string& imageText, FuelMap& map, std::string& error) {
    if (imageText.size() < static_cast<size_t>(kImageTextLength - 4)) {
        error = "the values image is too short (" + std::to_string(imageText.size()) + " characters, " +
                std::to_string(kImageTextLength) + " needed)";
        return false;
    }
    ParameterSheets sheets;
    FillContext context;
    context.valuesSource = "pcdisk";
    context.now = [] { return LocalDateTime{}; };
    context.fileModified = [](const std::string&) { return std::optional<LocalDateTime>(); };
    const FillOutcome outcome = sheets.valuestogridcells(imageText, context);
    if (!outcome.decoded) {
        error = "the values image cannot be decoded";
        return false;
    }
    const ValuesInfo& info = sheets.info();
    const ValuesImage image(imageText);
    map.softwareVersion = info.SwVersion;
    map.rpmNumbersWide = info.SwVersion >= 3100;
    map.mapForm = mapFormOf(info.Config5Flags, info.MapSensorCode);
    if (map.mapForm == MapForm::None) {
        error = "the load table is by throttle position (no MAP sensor): only MAP-based maps are tuned";
        return false;
    }
    for (int r = 0; r < kRpmBins; ++r) {
        if (!number(image.RpmLabel(r), map.rpmCentres[r])) {
            error = "RPM bin " + std::to_string(r) + " has the label '" + image.RpmLabel(r) + "', not a number";
            return false;
        }
        const int low = image.ImageByte(byte::RpmFuelLast - r).value_or(0);
        const int high = map.rpmNumbersWide ? image.ImageByte(byte::RpmFuelHighLast - r).value_or(0) : 0;
        map.rpmNumbers[r] = (low + 256 * high) & 0xFFFF;
    }
    for (int j = 0; j < kLoadBins; ++j) {
        if (!number(info.LoadLabels[static_cast<size_t>(j)], map.loadCentres[j])) {
            error = "load bin " + std::to_string(j) + " has the label '" + info.LoadLabels[static_cast<size_t>(j)] +
                    "', not a pressure";
            return false;
        }
        map.loadNumbers[j] = image.ImageByte(byte::LoadFuelFirst + j).value_or(0);
    }
    for (int j = 0; j < kWarmupBins; ++j) {
        const std::string& label = info.TempLabels[static_cast<size_t>(kEngineTempLabelBase + j)];
        if (!number(label, map.warmupCentres[j])) map.warmupCentres[j] = j == 0 ? 300 : map.warmupCentres[j - 1] - 10;
        map.warmupNumbers[j] = image.ImageByte(byte::EngineTempFuelFirst + j).value_or(0);
    }
    return true;
}

std::string withFuelNumbers(const std::string& imageText, const FuelMap& map) {
    std::string text = imageText;
    for (int r = 0; r < kRpmBins; ++r) {
        const int v = std::clamp(map.rpmNumbers[r], 0, map.rpmNumberMax());
        putByte(text, byte::RpmFuelLast - r, v & 0xFF);
        if (map.rpmNumbersWide) putByte(text, byte::RpmFuelHighLast - r, v >> 8);
    }
    for (int j = 0; j < kLoadBins; ++j) putByte(text, byte::LoadFuelFirst + j, std::clamp(map.loadNumbers[j], 0, 255));
    if (text.size() >= static_cast<size_t>(kImageTextLength)) {
        const uint16_t sum = imageChecksum(text);
        const std::string digits = {hexDigit(sum >> 12), hexDigit(sum >> 8), hexDigit(sum >> 4), hexDigit(sum)};
        text.replace(static_cast<size_t>(kSummedLength), 4, digits);
    }
    return text;
}

BinPosition binPosition(const double* c, int count, double x) {
    BinPosition p;
    if (count <= 1 || !std::isfinite(x)) return p;
    const bool rising = c[count - 1] >= c[0];
    auto before = [&](double a, double b) { return rising ? a <= b : a >= b; };
    if (before(x, c[0])) return p;
    if (before(c[count - 1], x)) {
        p.low = p.high = count - 1;
        return p;
    }
    int i = 0;
    while (i + 1 < count && before(c[i + 1], x)) ++i;
    p.low = i;
    p.high = std::min(i + 1, count - 1);
    const double span = c[p.high] - c[p.low];
    p.weight = span == 0 ? 0 : (x - c[p.low]) / span;
    return p;
}

double rpmNumberAt(const FuelMap& m, double rpm) {
    return interpolate(m.rpmCentres.data(), m.rpmNumbers.data(), kRpmBins, rpm);
}

double loadNumberAt(const FuelMap& m, double mapValue) {
    return interpolate(m.loadCentres.data(), m.loadNumbers.data(), kLoadBins, mapValue);
}

double warmupFactorAt(const FuelMap& m, double engineTemp) {
    return 1.0 + interpolate(m.warmupCentres.data(), m.warmupNumbers.data(), kWarmupBins, engineTemp) / 256.0;
}

double fuelDelivered(const FuelMap& m, double rpm, double mapValue, double engineTemp) {
    return rpmNumberAt(m, rpm) * loadNumberAt(m, mapValue) * warmupFactorAt(m, engineTemp);
}

}  // namespace kvr
