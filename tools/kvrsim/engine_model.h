// A running engine for the simulator: a repeating drive cycle (idle, a pull
// through the gears, cruise, a lift-off) that yields the fields of a live
// record, consistent with each other (RPM, load, mixture, ignition, pulse
// width, outputs, temperatures warming up).
#pragma once

#include "dashboard/link/ecu_lines.h"

namespace kvrsim {

struct EngineSettings {
    int cylinders = 4;
    bool o2Volts = false;        // send O2 sensor volts instead of an air/fuel ratio
    bool pulseInMicros = true;   // software 31.0 and later count the pulse in 1 us units
    bool stalled = false;        // the engine stands: running field 0
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

private:
    EngineSettings settings_;
};

}  // namespace kvrsim
