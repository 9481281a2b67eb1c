#include "synthetic_drive.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "dashboard/analysis/target_afr.h"
#include "dashboard/datalog/data_log_columns.h"
#include "dashboard/datalog/msl_format.h"
#include "default_values_image.h"

namespace kvr::tunetest {
namespace {

// A table's numbers times `factors`, read between bin centres as the ECU reads them.
template <size_t N>
double scaledAt(const std::array<double, N>& centres, const std::array<int, N>& numbers,
                const std::array<double, N>& factors, double x) {
    const BinPosition p = binPosition(centres.data(), static_cast<int>(N), x);
    const auto low = static_cast<size_t>(p.low), high = static_cast<size_t>(p.high);
    return numbers[low] * factors[low] * (1 - p.weight) + numbers[high] * factors[high] * p.weight;
}

}  // namespace

BuiltLog buildLog(const Drive& drive, const Sensor& sensor, const LogShape& shape) {
    BuiltLog log;
    DataLogUnits units;
    units.temperatureUnit = shape.temperatureUnit;
    log.header = dataLogHeader(units, 0, 3100);
    for (int k = 0;; ++k) {
        // Records arrive about every `interval`, a few ms early or late.
        const double t = k * shape.interval + 0.004 * std::sin(k * 1.7);
        if (t > shape.seconds) break;
        const EngineState now = drive(t);
        const double then = t - shape.lagSeconds;
        const double reading = sensor(then, drive(then));
        LogItem item;
        std::vector<double>& v = item.row.values;
        v.assign(kDataLogColumns, kMissing);
        v[kColTime] = std::round(t * 1000) / 1000;
        v[kColMap] = now.map;
        v[kColMapKpa] = mapKpaAbsolute(now.map, MapForm::Gauge);
        v[kColRunning] = now.rpm > 0 ? 1 : 0;
        v[kColThrottle] = std::round(now.throttle);
        v[kColEngineTemp] = now.engineTemp;
        v[kColRpm] = now.rpm;
        v[shape.narrowBand ? kColO2 : kColAfr] = reading;
        log.items.push_back(std::move(item));
    }
    return log;
}

bool VectorLogReader::next(LogItem& item) {
    if (at_ >= log_.items.size()) return false;
    item = log_.items[at_++];
    return true;
}

bool writeMsl(const BuiltLog& log, std::FILE* file) {
    MslWriter writer(file);
    bool ok = writer.begin(log.header);
    for (const LogItem& item : log.items)
        ok = ok && writer.item(item);
    return writer.finish() && ok;
}

double triangle(double t, double period, double low, double high) {
    const double c = std::fmod(t, period) / period;
    return low + (high - low) * (c < 0.5 ? 2 * c : 2 - 2 * c);
}

EngineState lissajousDrive(double t) {
    EngineState s;
    s.rpm = triangle(t, 131, 1000, 6000);
    s.map = triangle(t + 3, 13, -20, 10);
    s.throttle = 8 + (s.map + 20) * 1.5;
    return s;
}

double neededOverDelivered(const FuelMap& map, const FuelError& error, double rpm, double mapValue) {
    const double needed = scaledAt(map.rpmCentres, map.rpmNumbers, error.rpm, rpm) *
                          scaledAt(map.loadCentres, map.loadNumbers, error.load, mapValue);
    return needed / (rpmNumberAt(map, rpm) * loadNumberAt(map, mapValue));
}

Sensor wideBand(const FuelMap& map, const FuelError& error,
                std::function<double(double, const EngineState&)> extra) {
    auto random = std::make_shared<std::mt19937>(20260101u);
    auto noise = std::make_shared<std::normal_distribution<double>>(0.0, 0.01);
    const TargetAfr target = TargetAfr::standard(map.mapForm);
    return [=](double then, const EngineState& s) {
        double afr = target.at(s.rpm, s.map) * neededOverDelivered(map, error, s.rpm, s.map);
        if (extra) afr *= extra(then, s);
        return afr * (1 + (*noise)(*random));
    };
}

FuelMap defaultFuelMap() {
    FuelMap map;
    std::string error;
    EXPECT_TRUE(readFuelMap(kvrsim::defaultValuesImage(), map, error)) << error;
    return map;
}

}  // namespace kvr::tunetest
