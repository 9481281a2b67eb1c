#include "dashboard/decode/live_values.h"

namespace kvr {

void LiveValues::apply(const LiveRecord& r) {
    if (r.engineRunning) {
        cylinderCount = r.cylinderCount;
        rpmPeriod = r.rpmPeriod.value_or(0);
        rpm = r.rpm.value_or(0);
        channel[0] = static_cast<float>(rpm);
    }
    if (r.mapAvailable) map = r.map.value_or(0);
    channel[2] = static_cast<float>(map);

    if (!r.mixtureSkipped) {
        if (r.o2Form && r.o2Volts) {
            o2Volts = *r.o2Volts;
            channel[1] = static_cast<float>(o2Volts);
        } else if (!r.o2Form && r.afr) {
            afr = *r.afr;
            channel[1] = static_cast<float>(afr);
        }
    }

    ignition = r.ignition;
    channel[3] = static_cast<float>(ignition);
    throttle = r.throttle;
    channel[4] = throttle;
    knock = r.knock;
    channel[6] = static_cast<float>(knock);

    dutyText = r.dutyText;
    const bool word = dutyText == "RPM" || dutyText == "MAP" || dutyText == "TP ";
    // "RPM" and "MAP" leave the duty channel where it was; "TP " zeroes it.
    if (!word) {
        channel[7] = static_cast<float>(r.dutyPercent.value_or(0));
    } else if (dutyText == "TP ") {
        channel[7] = 0;
    }
    channel[5] = static_cast<float>(r.airTemp.value_or(0));

    pulseMs = r.pulseMs.value_or(0);
    if (r.outputs) outputs = *r.outputs;
}

}  // namespace kvr
