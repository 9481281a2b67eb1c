#include "dashboard/analysis/tune_labels.h"

#include <cmath>
#include <cstdio>

namespace kvr {
namespace {

std::string fixed(double v, int digits) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", digits, v);
    return buf;
}

const char* mapUnit(double map, MapForm form) {
    if (form == MapForm::Absolute) return "inHg abs";
    return map < 0 ? "inHg" : "psi";
}

}  // namespace

std::string rpmLabel(double rpm) { return fixed(rpm, 0) + " RPM"; }

std::string mapLabel(double map, MapForm form) { return fixed(map, 1) + " " + mapUnit(map, form); }

std::string rpmRangeLabel(double low, double high) {
    if (std::lround(low) == std::lround(high)) return rpmLabel(low);
    return fixed(low, 0) + " to " + rpmLabel(high);
}

std::string mapRangeLabel(double low, double high, MapForm form) {
    if (fixed(low, 1) == fixed(high, 1)) return mapLabel(low, form);
    if (std::string(mapUnit(low, form)) == mapUnit(high, form))
        return fixed(low, 1) + " to " + mapLabel(high, form);
    return mapLabel(low, form) + " to " + mapLabel(high, form);
}

}  // namespace kvr
