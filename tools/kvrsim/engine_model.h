// A running engine for the simulator: a repeating drive that yields the
// fields of a live record, consistent with each other (RPM, load, mixture,
// ignition, knock, pulse width, outputs, temperatures warming up).
#pragma once

#include <memory>
#include <string>

#include "dashboard/link/ecu_lines.h"
#include "fuel_model.h"

namespace kvrsim {

class MapDrive;

enum class Drive {
    // A 40-second cycle: idle, a pull through the gears, cruise, a lift-off.
    Cycle,
    // A hard run up and down: 900 to 6100 RPM and back every 8 seconds, the
    // throttle with it, so every gauge is on the move all the time.
    Sweep,
    // A cold start and ten minutes that cover the fuel map: idle, cruise at
    // many steady speeds and loads, pulls on boost, lift-offs (map_drive.h).
    // Its mixture is the fuel model's, as the oxygen sensor sees it.
    Map,
};

// Parses a drive name as given on the command line ("cycle", "sweep", "map");
// false when unknown.
bool parseDrive(const std::string& name, Drive& drive);

struct EngineSettings {
    int cylinders = 4;
    bool o2Volts = false;        // send O2 sensor volts instead of an air/fuel ratio
    bool pulseInMicros = true;   // software 31.0 and later count the pulse in 1 us units
    bool stalled = false;        // the engine stands: running field 0
    Drive drive = Drive::Cycle;
    unsigned seed = 1;           // lays out the map drive
};

class EngineModel {
public:
    // The map drive fuels by the built-in image without a fuel error.
    explicit EngineModel(EngineSettings settings);
    // The map drive fuels by `fuel`; the other drives do not use it.
    EngineModel(EngineSettings settings, FuelModel fuel);
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

    // True when the record's mixture is the fuel model's seen through the
    // oxygen sensor (the running map drive): the record's mixture field
    // from at() is then the true mixture, with no lag or noise.
    bool sensesMixture() const { return mapDrive_ != nullptr; }
    // The true air/fuel ratio in the exhaust port at a moment (the map
    // drive): the fuel model's, richer for an accelerator pump shot, air
    // alone while the fuel is cut.
    double trueAfrAt(double seconds) const;
    const EngineSettings& settings() const { return settings_; }
    // The map drive's fuelling; null for the other drives.
    const FuelModel* fuel() const { return fuel_.get(); }

    // The air/fuel ratio of the exhaust while the fuel is cut: the sensor
    // reads its leanest.
    static constexpr double kFuelCutAfr = 30;
    // Extra fuel of a full accelerator pump shot, a share of what the map delivers.
    static constexpr double kAccelPumpShare = 0.18;

private:
    // 0 at the sweep's low end, 1 at its high end.
    static double sweepPosition(double seconds);

    // The map drive (map_drive_record.cpp).
    struct EcuView;
    EcuView mapDriveView(double seconds) const;
    kvr::LiveFields mapDriveFields(double seconds) const;
    double mapDriveAdvance(double seconds) const;
    unsigned mapDriveKnock(double seconds) const;

    EngineSettings settings_;
    std::shared_ptr<const MapDrive> mapDrive_;  // shared by copies: it never changes
    std::shared_ptr<const FuelModel> fuel_;
};

}  // namespace kvrsim
