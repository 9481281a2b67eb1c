// The map drive: a cold start, then idle, cruise at many speeds and loads
// with the throttle stepped between them, pulls through the gears on boost
// and lift-offs, laid out from a seed so that ten minutes of it visit most
// of the fuel map's RPM and load bins and hold still on each for a while.
//
// The first round (kRoundSeconds) starts cold; after it a warm round, laid
// out from the same seed, repeats for as long as the drive goes on. Like the
// other drives it is a function of time alone.
#pragma once

#include <random>
#include <vector>

#include "engine_breathing.h"

namespace kvrsim {

struct DriveState {
    double rpm = 0;
    double mapKpa = kAtmosphereKpa;
    double throttle = kClosedThrottle;
    double engineTemp = 0;  // °F
    double airTemp = 0;     // °F
    // The accelerator pump's shot of extra fuel when the throttle is
    // stepped open: up to 1 just after a big step, fading over 0.3 s.
    double accelPump = 0;
    // The throttle is closed and the engine slowing from above 1500 RPM:
    // the ECU cuts the fuel.
    bool fuelCut = false;
};

// One stretch of the drive: speed and throttle move from where the last
// stretch left them to new values, then hold. The manifold follows the
// throttle with a lag (the turbo's is longer).
struct DriveSegment {
    double start = 0, duration = 0;  // seconds into its round
    double rpmFrom = 0, rpmTo = 0;
    double rpmSeconds = 0;    // how long the speed takes to move
    bool rpmLinear = false;   // at a constant rate (pulls, lift-offs), else eased
    bool idle = false;        // the speed goes to the idle speed for the temperature instead of rpmTo
    double throttleFrom = kClosedThrottle, throttleTo = kClosedThrottle;
    double throttleSeconds = 0;  // eased over this long; 0: a step at the start
    double mapFromKpa = kAtmosphereKpa;  // what the manifold starts with
    bool liftOff = false;     // the foot is off and the engine slows
};

// A segment `local` seconds after its start, at an engine temperature.
DriveState segmentState(const DriveSegment& s, double local, double engineTemp);

// The segments of one round, laid out from `random`: a cold start or a warm
// round, ending where the warm round starts (warm idle).
std::vector<DriveSegment> driveRound(std::mt19937& random, bool coldStart);

class MapDrive {
public:
    static constexpr double kRoundSeconds = 600;

    explicit MapDrive(unsigned seed);

    DriveState at(double seconds) const;

    // From about 50 °F at the start to 180 °F after 200 s, where the
    // thermostat holds it.
    static double engineTempAt(double seconds);
    // 1150 RPM stone cold, 850 from 130 °F.
    static double idleRpm(double engineTemp);

private:
    std::vector<DriveSegment> first_, warm_;
};

}  // namespace kvrsim
