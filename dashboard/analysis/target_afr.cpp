#include "dashboard/analysis/target_afr.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "dashboard/analysis/fuel_map.h"

namespace kvr {
namespace {

constexpr double kVacuumAfr = 14.7;
constexpr double kBoostAfr = 12.5;
constexpr double kInHgAtmosphere = 29.92;

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line.substr(0, line.find('#')));
    std::string w;
    while (in >> w)
        out.push_back(w);
    return out;
}

bool number(const std::string& word, double& out) {
    char* end = nullptr;
    out = std::strtod(word.c_str(), &end);
    return end != word.c_str() && *end == '\0' && std::isfinite(out);
}

std::string shortNumber(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

double interpolateRow(const std::vector<double>& points, const std::vector<double>& values, double x) {
    const BinPosition p = binPosition(points.data(), static_cast<int>(points.size()), x);
    return values[static_cast<size_t>(p.low)] * (1 - p.weight) +
           values[static_cast<size_t>(p.high)] * p.weight;
}

bool increasing(const std::vector<double>& v) {
    for (size_t i = 1; i < v.size(); ++i)
        if (v[i] <= v[i - 1]) return false;
    return true;
}

}  // namespace

TargetAfr TargetAfr::standard(MapForm form) {
    TargetAfr t;
    const double zero = form == MapForm::Absolute ? kInHgAtmosphere : 0.0;
    t.mapPoints_ = {zero - 30, zero - 5, zero, zero + 30};
    t.afr_ = {{kVacuumAfr, kVacuumAfr, kBoostAfr, kBoostAfr}};
    t.description_ = form == MapForm::Absolute
                         ? "standard: 14.7 below 24.9 inHg abs, easing to 12.5 at 29.9 inHg abs and above"
                         : "standard: 14.7 below -5 inHg, easing to 12.5 at 0 inHg and on boost";
    return t;
}

TargetAfr TargetAfr::flat(double afr) {
    TargetAfr t;
    t.mapPoints_ = {0};
    t.afr_ = {{afr}};
    t.description_ = "flat " + shortNumber(afr);
    return t;
}

bool TargetAfr::parse(const std::string& text, TargetAfr& out, std::string& error) {
    TargetAfr t;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        const std::vector<std::string> w = words(line);
        if (w.empty()) continue;
        std::vector<double> values;
        for (size_t i = 1; i < w.size(); ++i) {
            double v = 0;
            if (!number(w[i], v)) return fail("'" + w[i] + "' is not a number");
            values.push_back(v);
        }
        if (w[0] == "map") {
            if (!t.mapPoints_.empty()) return fail("a second map line");
            if (values.empty()) return fail("the map line has no breakpoints");
            if (!increasing(values)) return fail("the MAP breakpoints must increase");
            t.mapPoints_ = values;
            continue;
        }
        if (w[0] != "afr" && w[0] != "rpm") return fail("'" + w[0] + "' is not map, afr or rpm");
        if (t.mapPoints_.empty()) return fail("the map line must come first");
        const bool byRpm = w[0] == "rpm";
        if (!t.afr_.empty() && (!byRpm || t.rpmPoints_.empty()))
            return fail("either one afr line or rpm lines, not both");
        if (byRpm) {
            if (values.empty()) return fail("the rpm line has no speed");
            if (!t.rpmPoints_.empty() && values[0] <= t.rpmPoints_.back())
                return fail("the RPM lines must increase");
            t.rpmPoints_.push_back(values[0]);
            values.erase(values.begin());
        }
        if (values.size() != t.mapPoints_.size())
            return fail(std::to_string(t.mapPoints_.size()) + " MAP breakpoints need as many AFRs, not " +
                        std::to_string(values.size()));
        for (double v : values)
            if (v < kLowest || v > kHighest) return fail("the AFR " + shortNumber(v) + " is outside 8..22");
        t.afr_.push_back(values);
    }
    if (t.mapPoints_.empty() || t.afr_.empty()) {
        error = t.mapPoints_.empty() ? "no map line" : "no afr or rpm line";
        return false;
    }
    t.description_ = "table: " + std::to_string(t.mapPoints_.size()) + " MAP points" +
                     (t.rpmPoints_.empty() ? "" : ", " + std::to_string(t.rpmPoints_.size()) + " RPM lines");
    out = std::move(t);
    return true;
}

std::string TargetAfr::write() const {
    std::string text = "# Target AFR by MAP (the ECU's units)";
    text += rpmPoints_.empty() ? "\nmap" : " and RPM\nmap";
    for (double m : mapPoints_)
        text += " " + shortNumber(m);
    for (size_t r = 0; r < afr_.size(); ++r) {
        text += rpmPoints_.empty() ? "\nafr" : "\nrpm " + shortNumber(rpmPoints_[r]);
        for (double a : afr_[r])
            text += " " + shortNumber(a);
    }
    return text + "\n";
}

double TargetAfr::at(double rpm, double map) const {
    if (afr_.empty()) return kVacuumAfr;
    if (rpmPoints_.size() < 2) return interpolateRow(mapPoints_, afr_[0], map);
    const BinPosition p = binPosition(rpmPoints_.data(), static_cast<int>(rpmPoints_.size()), rpm);
    const double low = interpolateRow(mapPoints_, afr_[static_cast<size_t>(p.low)], map);
    const double high = interpolateRow(mapPoints_, afr_[static_cast<size_t>(p.high)], map);
    return low * (1 - p.weight) + high * p.weight;
}

std::string TargetAfr::describe() const { return description_; }

}  // namespace kvr
