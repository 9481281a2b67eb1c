#include "dashboard/logging/logging_rules.h"

namespace kvr {

bool LoggingRules::judge(uint8_t throttle, double rpm) {
    const int s = loggingSwitch;
    bool started = false;
    if (!on) {
        const bool start = s == kLogGo || (s == kLogThrottleAbove && throttleThreshold < throttle) ||
                           (s == kLogRpmAbove && rpmThreshold < rpm);
        if (start) on = started = true;
    }
    if (on) {
        const bool stop = s == kLogStop || (s == kLogThrottleAbove && throttleThreshold >= throttle) ||
                          (s == kLogRpmAbove && rpmThreshold >= rpm);
        if (stop) on = false;
    }
    return started;
}

}  // namespace kvr
