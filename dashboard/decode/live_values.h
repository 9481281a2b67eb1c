// The engine's values as the dashboard shows them: each record updates what
// it carries, and a value the record cannot give keeps its last reading
// (the speed while the engine stands, the pressure on "N/A", the mixture on
// "ERR"). The gauges and the log chart's channels both read these.
#pragma once

#include <cstdint>
#include <string>

#include "dashboard/decode/live_record.h"

namespace kvr {

struct LiveValues {
    double rpm = 0;
    int32_t rpmPeriod = 0;
    int32_t cylinderCount = 0;
    double map = 0;
    double afr = 0;
    double o2Volts = 0;
    int32_t ignition = 0;
    uint8_t throttle = 0;
    int32_t knock = 0;
    double pulseMs = 0;
    uint8_t outputs = 0;
    std::string dutyText;
    // The log chart's channels 1..8 (index 0..7): RPM, AFR or O2 volts, MAP,
    // ignition, throttle, air temperature, knock, duty.
    float channel[8] = {};

    void apply(const LiveRecord& record);
};

}  // namespace kvr
