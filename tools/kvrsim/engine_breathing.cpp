#include "engine_breathing.h"

#include <algorithm>
#include <cmath>

namespace kvrsim {
namespace {

constexpr double kKpaPerInHg = 3.38639;
constexpr double kKpaPerPsi = 6.89476;
// How fast the manifold fills as the throttle opens: pressure rises as
// (opening share) ^ kFillExponent, so the first few degrees count most.
constexpr double kFillExponent = 0.6;

double closedKpa(double rpm) { return kAtmosphereKpa + closedThrottleVacuum(rpm) * kKpaPerInHg; }

// The throttle at which the manifold reaches the atmosphere: a wider
// opening the faster the engine turns.
double fullOpening(double rpm) { return 14 + 34 * std::clamp((rpm - 800) / 5700, 0.0, 1.0); }

double smoothstep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

}  // namespace

double ecuMapValue(double kpa, kvr::MapForm form) {
    if (form == kvr::MapForm::Absolute) return kpa / kKpaPerInHg;
    return gaugeMap(kpa);
}

double gaugeMap(double kpa) {
    const double above = kpa - kAtmosphereKpa;
    return above < 0 ? above / kKpaPerInHg : above / kKpaPerPsi;
}

double gaugeToKpa(double gauge) { return kAtmosphereKpa + gauge * (gauge < 0 ? kKpaPerInHg : kKpaPerPsi); }

double closedThrottleVacuum(double rpm) { return -(18 + 4 * std::clamp((rpm - 850) / 2500, 0.0, 1.0)); }

double boostLimit(double rpm) {
    return 10 * smoothstep((rpm - 2200) / 2300) - std::clamp((rpm - 5500) / 1000, 0.0, 1.0);
}

double settledMapKpa(double throttle, double rpm) {
    const double open = fullOpening(rpm);
    if (throttle <= open) {
        const double share = std::clamp((throttle - kClosedThrottle) / (open - kClosedThrottle), 0.0, 1.0);
        const double closed = closedKpa(rpm);
        return closed + (kAtmosphereKpa - closed) * std::pow(share, kFillExponent);
    }
    const double share = std::clamp((throttle - open) / (kOpenThrottle - open), 0.0, 1.0);
    return kAtmosphereKpa + boostLimit(rpm) * share * kKpaPerPsi;
}

double throttleFor(double kpa, double rpm) {
    const double open = fullOpening(rpm);
    if (kpa <= kAtmosphereKpa) {
        const double closed = closedKpa(rpm);
        const double share = std::clamp((kpa - closed) / (kAtmosphereKpa - closed), 0.0, 1.0);
        return kClosedThrottle + (open - kClosedThrottle) * std::pow(share, 1 / kFillExponent);
    }
    const double limit = boostLimit(rpm);
    if (limit <= 0) return open;
    const double share = std::clamp((kpa - kAtmosphereKpa) / kKpaPerPsi / limit, 0.0, 1.0);
    return open + (kOpenThrottle - open) * share;
}

}  // namespace kvrsim
