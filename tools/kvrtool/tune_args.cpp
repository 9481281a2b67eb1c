#include "tune_args.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "dashboard/analysis/target_afr.h"

namespace kvrtool {
namespace {

const char* const kCommand = "tune";

// The whole of `text` as a finite number, allowing one trailing `suffix` character.
bool numberOf(const std::string& text, double& out, char* suffix = nullptr) {
    const char* s = text.c_str();
    char* end = nullptr;
    out = std::strtod(s, &end);
    if (end == s || !std::isfinite(out)) return false;
    if (suffix != nullptr) {
        *suffix = 0;
        if (*end != '\0' && end[1] == '\0')
            *suffix = static_cast<char>(std::toupper(static_cast<unsigned char>(*end++)));
    }
    return *end == '\0';
}

// "LOW:HIGH", LOW below HIGH.
bool rangeOf(const std::string& text, double& low, double& high) {
    const size_t colon = text.find(':', 1);
    return colon != std::string::npos && numberOf(text.substr(0, colon), low) &&
           numberOf(text.substr(colon + 1), high) && low < high;
}

int option(const std::string& name, const std::string& v, TuneArgs& o) {
    double x = 0;
    kvr::TuneOptions& t = o.options;
    if (name == "--values") {
        o.values = v;
    } else if (name == "-o") {
        o.output = v;
    } else if (name == "--report") {
        o.report = v;
    } else if (name == "--target") {
        o.target = v;
        if (numberOf(v, x)) {
            if (x < kvr::TargetAfr::kLowest || x > kvr::TargetAfr::kHighest)
                return usageError(kCommand, "--target AFR must lie in 8..22, not " + v);
            o.flatTarget = x;
        }
    } else if (name == "--lag") {
        if (v == "auto") {
            t.lag.automatic = true;
        } else if (numberOf(v, x) && x >= 0 && x <= 2000) {
            t.lag.ms = x;
        } else {
            return usageError(kCommand, "--lag takes milliseconds (0..2000) or auto, not '" + v + "'");
        }
    } else if (name == "--max-change") {
        char percent = 0;
        if (!numberOf(v, x, &percent) || (percent != 0 && percent != '%') || !(x > 0 && x <= 100))
            return usageError(kCommand, "--max-change takes a percentage above 0 up to 100, not '" + v + "'");
        t.fit.maxChange = x / 100.0;
    } else if (name == "--min-samples") {
        if (!numberOf(v, x) || !(x > 0))
            return usageError(kCommand, "--min-samples takes a number above 0, not '" + v + "'");
        t.fit.minEffectiveSamples = x;
    } else if (name == "--warm") {
        char unit = 0;
        if (!numberOf(v, x, &unit) || (unit != 0 && unit != 'F' && unit != 'C'))
            return usageError(
                kCommand, "--warm takes a temperature, with F or C or in the log's unit, not '" + v + "'");
        o.warm = x;
        o.warmUnit = unit;
    } else if (name == "--no-filter") {
        const auto f = kvr::tuneFilterNamed(v);
        if (!f) {
            std::string names;
            for (int i = 0; i < kvr::kTuneFilterCount; ++i)
                if (kvr::tuneFilterCanBeDisabled(static_cast<kvr::TuneFilter>(i)))
                    names += std::string(names.empty() ? "" : ", ") +
                             kvr::tuneFilterName(static_cast<kvr::TuneFilter>(i));
            return usageError(kCommand, "no filter is named '" + v + "' (" + names + ")");
        }
        if (!kvr::tuneFilterCanBeDisabled(*f))
            return usageError(kCommand,
                              "narrow-band O2 volts say rich or lean, not how much: that filter stays on");
        t.filters.enabled[static_cast<size_t>(*f)] = false;
    } else if (name == "--rpm-range") {
        if (!rangeOf(v, t.filters.rpmLow, t.filters.rpmHigh))
            return usageError(kCommand, "--rpm-range takes LOW:HIGH in RPM, not '" + v + "'");
    } else if (name == "--map-range") {
        if (!rangeOf(v, t.filters.mapLow, t.filters.mapHigh))
            return usageError(kCommand, "--map-range takes LOW:HIGH in the ECU's MAP units, not '" + v + "'");
    }
    return 0;
}

bool takesValue(const std::string& a) {
    for (const char* name : {"--values", "-o", "--report", "--target", "--lag", "--max-change", "--min-samples", "--warm",
                             "--no-filter", "--rpm-range", "--map-range"})
        if (a == name) return true;
    return false;
}

}  // namespace

int parseTuneArgs(const Args& args, TuneArgs& o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (takesValue(a)) {
            if (i + 1 >= args.size()) return usageError(kCommand, a + " needs a value");
            if (const int r = option(a, args[++i], o)) return r;
        } else if (a == "--json") {
            o.json = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return usageError(kCommand, "unknown option " + a);
        } else {
            o.logs.push_back(a);
        }
    }
    if (o.values.empty())
        return usageError(kCommand, "--values RAN.KVV is needed: the values the logs were made with");
    if (o.logs.empty()) return usageError(kCommand, "no log given");
    return 0;
}

std::optional<double> warmLimitInLogUnit(const TuneArgs& a, char logUnit) {
    if (!a.warm) return std::nullopt;
    if (a.warmUnit == 0 || a.warmUnit == logUnit) return *a.warm;
    return logUnit == 'C' ? (*a.warm - 32.0) * 5.0 / 9.0 : *a.warm * 9.0 / 5.0 + 32.0;
}

}  // namespace kvrtool
