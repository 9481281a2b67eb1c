// The logging switch ("Log Chart Enable": Stop, Go, TP >, RPM >) and its
// thresholds: whether the log chart should record, judged on each live
// record. Whether the data is fresh is the link's part (ChartLog).
#pragma once

#include <cstdint>

namespace kvr {

enum LoggingSwitch { kLogStop = 0, kLogGo = 1, kLogThrottleAbove = 2, kLogRpmAbove = 3 };

struct LoggingRules {
    int loggingSwitch = kLogStop;
    int throttleThreshold = 20;
    int rpmThreshold = 3000;
    bool on = false;

    // Judges one record's throttle and (last running) speed. Returns true
    // when this record switched the rules on.
    bool judge(uint8_t throttle, double rpm);
};

}  // namespace kvr
