// How the simulated turbo four breathes: the manifold pressure it settles at
// for a throttle opening and speed, the throttle that gives a wanted
// pressure, and the forms the ECU writes a pressure in.
//
// Pressures are kPa absolute inside the model. The ECU writes them in its
// MAP units: with a gauge sensor, inHg of vacuum below 0 and psi of boost
// above; with an absolute one, inHg absolute.
#pragma once

#include "dashboard/datalog/data_log_columns.h"

namespace kvrsim {

constexpr double kAtmosphereKpa = 101.325;

// The ECU's MAP value for a pressure, in the given form.
double ecuMapValue(double kpa, kvr::MapForm form);
// A pressure in the gauge form (inHg of vacuum below 0, psi of boost above).
double gaugeMap(double kpa);
// And back.
double gaugeToKpa(double gauge);

// Throttle readings run from 0 to 63; the throttle rests at kClosedThrottle.
constexpr double kClosedThrottle = 2;
constexpr double kOpenThrottle = 63;

// Vacuum with the throttle closed, inHg (negative): 18 at idle, deeper as
// the engine spins faster, 22 from 3350 RPM.
double closedThrottleVacuum(double rpm);
// The most boost the turbo makes at a speed, psi: none below 2200 RPM,
// 10 from 4500, easing to 9 at 6500 as it runs out of breath.
double boostLimit(double rpm);

// The pressure the manifold settles at, kPa absolute.
double settledMapKpa(double throttle, double rpm);
// The throttle opening that settles the manifold at `kpa`; pressures the
// engine cannot reach at this speed give the nearest it can.
double throttleFor(double kpa, double rpm);

}  // namespace kvrsim
