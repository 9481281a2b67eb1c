#include "dashboard/analysis/tune_options.h"

namespace kvr {
namespace {

struct FilterText {
    const char* name;
    const char* phrase;
};

constexpr FilterText kFilterTexts[kTuneFilterCount] = {
    {"stopped", "engine stopped, or no RPM or MAP"},  {"afr", "AFR missing, ERR or implausible"},
    {"narrow-band", "narrow-band O2 volts"},          {"warm", "engine below the warm limit"},
    {"accel", "throttle moving (accelerator pump)"},  {"decel", "closed throttle, RPM falling (overrun)"},
    {"gap", "first seconds of a log or after a gap"}, {"window", "outside the RPM and MAP window"},
};

}  // namespace

const char* tuneFilterName(TuneFilter f) { return kFilterTexts[static_cast<size_t>(f)].name; }

const char* tuneFilterPhrase(TuneFilter f) { return kFilterTexts[static_cast<size_t>(f)].phrase; }

std::optional<TuneFilter> tuneFilterNamed(const std::string& name) {
    for (int f = 0; f < kTuneFilterCount; ++f)
        if (name == kFilterTexts[f].name) return static_cast<TuneFilter>(f);
    return std::nullopt;
}

}  // namespace kvr
