#include "map_drive.h"

#include <algorithm>
#include <cmath>

namespace kvrsim {
namespace {

constexpr double kManifoldLag = 0.10;  // seconds, filling and emptying the manifold
constexpr double kTurboLag = 0.45;     // seconds, the turbo spooling up or down
constexpr double kPumpFade = 0.10;     // seconds, time constant of the accelerator pump's shot
constexpr double kFuelCutAbove = 1500;  // RPM

double smoothstep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

double lerp(double a, double b, double share) { return a + (b - a) * share; }

const DriveSegment& segmentAt(const std::vector<DriveSegment>& segments, double local) {
    auto after = std::upper_bound(segments.begin(), segments.end(), local,
                                  [](double t, const DriveSegment& s) { return t < s.start; });
    return after == segments.begin() ? segments.front() : *(after - 1);
}

}  // namespace

DriveState segmentState(const DriveSegment& s, double local, double engineTemp) {
    DriveState d;
    d.engineTemp = engineTemp;
    const double rpmTo = s.idle ? MapDrive::idleRpm(engineTemp) : s.rpmTo;
    const double moved = s.rpmSeconds > 0 ? std::min(1.0, local / s.rpmSeconds) : 1.0;
    d.rpm = lerp(s.rpmFrom, rpmTo, s.rpmLinear ? moved : smoothstep(moved));
    // A pedal moved, not stepped, eases in and out (from closed, the
    // manifold would otherwise jump with the first fraction of a degree).
    d.throttle = s.throttleSeconds > 0 ? lerp(s.throttleFrom, s.throttleTo, smoothstep(local / s.throttleSeconds))
                                       : s.throttleTo;

    // The manifold settles where throttle and speed put it; what it started
    // with beyond that fades with the lag of the manifold or, on boost, the turbo.
    const double settled = settledMapKpa(d.throttle, d.rpm);
    const double settledAtStart =
        settledMapKpa(s.throttleSeconds > 0 ? s.throttleFrom : s.throttleTo, s.rpmFrom);
    const bool boost = std::max(s.mapFromKpa, settledAtStart) > kAtmosphereKpa + 2;
    d.mapKpa = settled + (s.mapFromKpa - settledAtStart) * std::exp(-local / (boost ? kTurboLag : kManifoldLag));

    const double opened = s.throttleTo - s.throttleFrom;
    if (s.throttleSeconds == 0 && opened >= 4 && local < 6 * kPumpFade) {
        d.accelPump = std::min(1.0, opened / 20) * std::exp(-local / kPumpFade);
    }
    d.fuelCut = s.liftOff && local < s.rpmSeconds && d.rpm > kFuelCutAbove;
    return d;
}

MapDrive::MapDrive(unsigned seed) {
    std::mt19937 random(seed);
    first_ = driveRound(random, true);
    warm_ = driveRound(random, false);
}

double MapDrive::engineTempAt(double t) {
    const double left = std::clamp(1 - t / 200, 0.0, 1.0);
    return 180 - 130 * left * left;
}

double MapDrive::idleRpm(double engineTemp) { return 850 + 300 * std::clamp((130 - engineTemp) / 80, 0.0, 1.0); }

DriveState MapDrive::at(double t) const {
    t = std::max(t, 0.0);
    const bool first = t < kRoundSeconds;
    const double local = first ? t : std::fmod(t - kRoundSeconds, kRoundSeconds);
    const DriveSegment& s = segmentAt(first ? first_ : warm_, local);
    DriveState d = segmentState(s, local - s.start, engineTempAt(t));
    // The engine is never quite still: a little hunting in speed and pressure.
    d.rpm += 12 * std::sin(3.1 * t) + 5 * std::sin(7.7 * t);
    d.mapKpa += 0.25 * std::sin(2.3 * t);
    // The air warms with the engine bay, and on boost with compression.
    d.airTemp = 60 + 20 * (d.engineTemp - 50) / 130 + 0.15 * std::max(0.0, d.mapKpa - kAtmosphereKpa);
    return d;
}

}  // namespace kvrsim
