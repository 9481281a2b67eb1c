#include "engine_model.h"

#include <algorithm>
#include <cmath>

#include "field_text.h"
#include "map_drive.h"

namespace kvrsim {
namespace {

constexpr double kCycle = 40.0;  // seconds of one drive cycle
// The sweep: from its low to its high speed and back in one period.
constexpr double kSweepPeriod = 8.0;
constexpr double kSweepLowRpm = 900, kSweepHighRpm = 6100;

// Throttle (0..63) over the cycle: idle, a pull, cruise, lift-off, idle.
double throttleShape(double t) {
    const double c = std::fmod(t, kCycle);
    if (c < 6) return 2;                         // idle
    if (c < 16) return 2 + (c - 6) * 6.1;        // opening to wide open
    if (c < 22) return 63;                       // the pull
    if (c < 24) return 63 - (c - 22) * 22;       // easing to cruise
    if (c < 34) return 19 + 3 * std::sin(c);     // cruise
    return 2;                                    // lift-off and idle
}

}  // namespace

bool parseDrive(const std::string& name, Drive& drive) {
    if (name == "cycle") {
        drive = Drive::Cycle;
    } else if (name == "sweep") {
        drive = Drive::Sweep;
    } else if (name == "map") {
        drive = Drive::Map;
    } else {
        return false;
    }
    return true;
}

double EngineModel::sweepPosition(double t) {
    // A triangle rather than a sine: the needles move as fast at the ends of
    // the sweep as in its middle, so no gauge rests on any record.
    const double c = std::fmod(t, kSweepPeriod) / kSweepPeriod;
    return c < 0.5 ? 2 * c : 2 - 2 * c;
}

double EngineModel::throttleAt(double t) const {
    if (mapDrive_) return std::clamp(mapDrive_->at(t).throttle, 0.0, 63.0);
    if (settings_.drive == Drive::Sweep) return 2 + 61 * sweepPosition(t);
    return std::clamp(throttleShape(t), 0.0, 63.0);
}

double EngineModel::rpmAt(double t) const {
    if (settings_.stalled) return 0;
    if (mapDrive_) return mapDrive_->at(t).rpm;
    if (settings_.drive == Drive::Sweep) {
        return kSweepLowRpm + (kSweepHighRpm - kSweepLowRpm) * sweepPosition(t);
    }
    // Speed follows the throttle with a lag, and wanders a little at idle.
    const double lagged = throttleAt(std::max(0.0, t - 0.8));
    return 850 + lagged * 95 + 25 * std::sin(t * 3.1);
}

unsigned EngineModel::knockAt(double t) const {
    if (mapDrive_) return mapDriveKnock(t);
    const double load = throttleAt(t) / 63.0;
    // The sweep runs on the edge of knock: the count follows load (0 to 5),
    // so the knock meter rises and falls with the others. The cycle knocks
    // now and then on the pull.
    if (settings_.drive == Drive::Sweep) return static_cast<unsigned>(std::lround(load * 5));
    return load > 0.9 ? static_cast<unsigned>(std::fmod(t * 7, 4)) : 0;
}

double EngineModel::advanceAt(double t) const {
    if (settings_.stalled) return 0;
    if (mapDrive_) return mapDriveAdvance(t);
    const double c = std::fmod(t, kCycle);
    // Lift-off: the ECU retards the spark past top dead centre for a moment.
    if (settings_.drive == Drive::Cycle && c >= 34 && c < 35.5) return -2;
    const double rpm = rpmAt(t);
    const double load = throttleAt(t) / 63.0;
    // Advance climbs with speed from 10 degrees at idle and is taken back on boost.
    const double bySpeed = 10 + 25 * std::clamp((rpm - 850) / 2500.0, 0.0, 1.0);
    const double boost = std::max(0.0, (load - 0.55) / 0.45);
    double advance = bySpeed - 14 * boost;
    // Knock retard: 3 degrees per knock count the record reports.
    return advance - 3.0 * knockAt(t);
}

kvr::LiveFields EngineModel::at(double t) const {
    if (mapDrive_) return mapDriveFields(t);
    kvr::LiveFields f;
    const double throttle = throttleAt(t);
    const double rpm = rpmAt(t);
    const double load = throttle / 63.0;  // 0 closed .. 1 wide open

    // Manifold pressure: vacuum in inHg at part load, boost in PSI on the pull.
    const double map = load < 0.55 ? -(18.0 - load * 30.0) : (load - 0.55) * 18.0;
    f.map = realField(map, 5, 1);
    f.running = settings_.stalled ? 0 : static_cast<int>(rpm / 100);

    f.knock = knockAt(t);
    const int advance = static_cast<int>(std::lround(advanceAt(t)));
    // The ECU sends 56 plus the advance; the dashboard's correction (56 - field)
    // turns that into minus the advance, so the IGN meter reads -10 at idle and
    // -20 .. -35 under load, and a retard past top dead centre reads above 0.
    f.ignitionSign = ' ';
    f.ignitionRaw = 56 + advance;

    if (settings_.drive == Drive::Sweep) {
        // Richer the harder it pulls, all the way up.
        f.afr = settings_.o2Volts ? realField(0.1 + 0.8 * load, 3, 1) + "V" : realField(14.7 - 2.9 * load, 4, 1);
    } else {
        // Rich on the pull, lean-ish cruising.
        const double afr = load > 0.8 ? 11.8 : 14.7 - load * 1.2 + 0.2 * std::sin(t * 1.7);
        f.afr = settings_.o2Volts ? realField(load > 0.8 ? 0.88 : 0.45 + 0.35 * std::sin(t * 2.3), 3, 1) + "V"
                                  : realField(afr, 4, 1);
    }

    f.throttle = static_cast<int>(throttle);
    f.battery = realField(13.6 + 0.3 * std::sin(t * 0.2), 4, 1);
    const double warm = std::min(1.0, t / 300.0);  // warms up over five minutes
    const int engineTemp = static_cast<int>(90 + warm * 100);
    f.engineTemp = integerField(engineTemp, 3);
    f.engineTempUnit = 'F';
    f.airTemp = integerField(static_cast<long>(72 + load * 25), 3);
    f.airTempUnit = 'F';

    const double pulseMs = 1.6 + load * 9.5;
    f.pulseCount = static_cast<unsigned>(pulseMs * (settings_.pulseInMicros ? 1000 : 2000));
    const double periodCount = rpm > 0 ? (120.0 / settings_.cylinders) * 2000000.0 / rpm : 0xFFFFFF;
    f.period = static_cast<unsigned>(std::min(periodCount, double(0xFFFFFF)));
    const double dutyPercent = rpm > 0 ? pulseMs / (120000.0 / rpm) * 100 : 0;
    f.duty = integerField(std::lround(std::min(dutyPercent, 99.0)), 3);
    f.knob = integerField(50, 3);

    unsigned outputs = 0x02;                 // fuel pump runs with the engine
    if (rpm > 4500) outputs |= 0x01;         // RPM relay
    if (engineTemp < 120) outputs |= 0x04;   // fast idle while cold
    if (engineTemp > 185) outputs |= 0x08;   // radiator fan
    const bool auxOpen = settings_.drive == Drive::Cycle && std::fmod(t, kCycle) > 30;
    if (auxOpen) outputs |= 0x80;            // aux input open (off)
    f.outputs = outputs;
    f.checkEngine = 0;
    return f;
}

}  // namespace kvrsim
