// The live records of an engine run, asked for in time order: the engine
// model's fields, with the mixture of the map drive as the oxygen sensor
// reads it (late, slow and a little noisy, see wideband_sensor.h). The
// sensor's state is why this is not a pure function of time as the engine
// model is.
#pragma once

#include <string>
#include <vector>

#include "engine_model.h"
#include "wideband_sensor.h"

namespace kvrsim {

class LiveRecordSource {
public:
    // `seed` seeds the sensor's noise.
    LiveRecordSource(EngineModel engine, unsigned seed, double sensorNoise = WidebandSensor::kNoise);

    // The fields at `seconds`, never earlier than the last call's.
    kvr::LiveFields at(double seconds);
    // The mixture the sensor reads at `seconds` (the map drive), in time
    // order with at().
    double sensedAfr(double seconds);

    const EngineModel& engine() const { return engine_; }

private:
    EngineModel engine_;
    WidebandSensor sensor_;
};

// The live record lines (checksum included, no line end) that `engine`
// sends when polled `ratePerSecond` times a second for `seconds` simulated
// seconds, the first at 0, without a wire or a clock: a benchmark decodes
// them into a data log. `seed` seeds the oxygen sensor's noise.
std::vector<std::string> driveRecords(const EngineModel& engine, unsigned seed, double seconds,
                                      double ratePerSecond);

}  // namespace kvrsim
