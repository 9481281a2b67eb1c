// Drives made up for the tuning tests: an engine state as a function of
// time, a fuel map that is wrong by a known pattern, and the data log a
// wide-band (or narrow-band) sensor would have written of it, a sensor lag
// late. The log is built in memory in the data log's own columns and read
// through a LogReader, or written as MSL.
#pragma once

#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "dashboard/analysis/fuel_map.h"
#include "dashboard/datalog/log_table.h"

namespace kvr::tunetest {

struct EngineState {
    double rpm = 0, map = 0, throttle = 0, engineTemp = 190;
};

using Drive = std::function<EngineState(double t)>;
// What the sensor reads for the engine state at time `then` (the reading is
// logged a lag later): an AFR, or O2 volts for a narrow-band log.
using Sensor = std::function<double(double then, const EngineState& state)>;

struct LogShape {
    double seconds = 900;
    double interval = 0.05;  // between records, with a little jitter
    double lagSeconds = 0.12;
    bool narrowBand = false;
    char temperatureUnit = 'F';
};

// The items of a data log (dataLogHeader's columns) of `drive` as `sensor` reads it.
struct BuiltLog {
    LogHeader header;
    std::vector<LogItem> items;
};
BuiltLog buildLog(const Drive& drive, const Sensor& sensor, const LogShape& shape);

// Reads built items back, as a file's reader would.
class VectorLogReader : public LogReader {
public:
    explicit VectorLogReader(BuiltLog log) : log_(std::move(log)) {}
    const LogHeader& header() const override { return log_.header; }
    bool next(LogItem& item) override;

private:
    BuiltLog log_;
    size_t at_ = 0;
};

// Writes a built log as MSL text to `file`; false on a write error.
bool writeMsl(const BuiltLog& log, std::FILE* file);

// A triangle wave from `low` to `high` and back in `period` seconds.
double triangle(double t, double period, double low, double high);

// The steady drive most tests use: RPM from 1000 to 6000 and back every 131 s
// (76 1/min per second), MAP from -20 inHg to 10 psi and back every 13 s, the
// throttle following MAP slowly (7 counts a second), engine warm.
EngineState lissajousDrive(double t);

// What the engine really needs: the map's numbers times these factors,
// interpolated as the ECU interpolates.
struct FuelError {
    std::array<double, kRpmBins> rpm;
    std::array<double, kLoadBins> load;
    FuelError() {
        rpm.fill(1.0);
        load.fill(1.0);
    }
};

// Fuel needed / fuel delivered at a state: above 1 the engine runs lean.
double neededOverDelivered(const FuelMap& map, const FuelError& error, double rpm, double mapValue);

// A wide-band sensor on an engine with this map and error: the target AFR
// (14.7 / 12.5 as TargetAfr::standard) times needed / delivered, times
// `extra` at the state, with 1 % of random noise (fixed seed).
Sensor wideBand(const FuelMap& map, const FuelError& error,
                std::function<double(double then, const EngineState&)> extra = nullptr);

// The simulator's image read into a map (fails the test when it cannot be).
FuelMap defaultFuelMap();

}  // namespace kvr::tunetest
