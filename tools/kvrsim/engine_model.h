// A running engine for the simulator: a repeating drive that yields the
// fields of a live record, consistent with each other (RPM, load, mixture,
// ignition, knock, pulse width, outputs, temperatures warming up).
#pragma once

#include <string>

#include "dashboard/link/ecu_lines.h"

namespace kvrsim {

enum class Drive {
    // A 40-second cycle: idle, a pull through the gears, cruise, a lift-off.
    Cycle,
    // A hard run up and down: 900 to 6100 RPM and back every 8 seconds, the
    // throttle with it, so every gauge is on the move all the time.
    Sweep,
};

// Parses a drive name as given on the command line ("cycle", "sweep");
// false when unknown.
bool parseDrive(const std::string& name, Drive& drive);

struct EngineSettings {
    int cylinders = 4;
    bool o2Volts = false;        // send O2 sensor volts instead of an air/fuel ratio
    bool pulseInMicros = true;   // software 31.0 and later count the pulse in 1 us units
    bool stalled = false;        // the engine stands: running field 0
    Drive drive = Drive::Cycle;
};

class EngineModel {
public:
    explicit EngineModel(EngineSettings settings) : settings_(settings) {}
    // The record fields at `seconds` since the simulator started.
    kvr::LiveFields at(double seconds) const;
    // Engine speed at a moment, for tests and the progress line.
    double rpmAt(double seconds) const;
    double throttleAt(double seconds) const;
    // Spark advance in degrees before top dead centre (negative: a retard
    // past it), knock retard included.
    double advanceAt(double seconds) const;
    // Knock counts the record reports.
    unsigned knockAt(double seconds) const;

private:
    // 0 at the sweep's low end, 1 at its high end.
    static double sweepPosition(double seconds);

    EngineSettings settings_;
};

}  // namespace kvrsim
