// The Gauges tab's sink: each live record moves the meters and rewrites the
// labels, lamps and option panels of the display model, keeping the values
// a record cannot give at their last reading.
#pragma once

#include <cstdint>
#include <string>

#include "dashboard/decode/live_values.h"
#include "dashboard/display/live_display.h"
#include "dashboard/session/record_sink.h"

namespace kvr {

class GaugeReadings : public RecordSink {
public:
    void onRecord(const LiveRecord& record) override;

    LiveDisplay display;
    LiveValues values;
    // From the values image: how the manifold pressure label reads.
    uint8_t config5Flags = 0;
    uint8_t mapSensorCode = 0;

private:
    void showSpeed(const LiveRecord& r);
    void showManifoldPressure(const LiveRecord& r);
    void showMixture(const LiveRecord& r);
    void setUpMixtureMeter(const char* unit, const char* scaleFormat, int steps, float from, float to);
    void showLabels(const LiveRecord& r);
    void showOutputs(const LiveRecord& r);
};

}  // namespace kvr
