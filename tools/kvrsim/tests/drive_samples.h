// The map drive's records as the dashboard decodes them, for the drive's
// tests: which are steady, and which bin of the image they fall in.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "dashboard/decode/live_record.h"
#include "default_values_image.h"
#include "live_record_source.h"

namespace kvrsim {

constexpr double kRecordRate = 83.5;  // records a second at the link's full rate

inline EngineModel mapDriveEngine(unsigned seed, const char* errorName = "none",
                                  const std::string& served = defaultValuesImage()) {
    FuelError error;
    fuelErrorPreset(errorName, error);
    std::string why;
    EngineSettings settings;
    settings.drive = Drive::Map;
    settings.seed = seed;
    return EngineModel(settings, *makeFuelModel(served, defaultValuesImage(), error, why));
}

inline std::vector<kvr::LiveRecord> decodeRecords(std::vector<std::string> lines, const std::string& image) {
    kvr::RecordContext context;
    context.valuesText = &image;
    context.softwareVersion = 3100;
    std::vector<kvr::LiveRecord> records;
    for (std::string& line : lines) {
        kvr::correctIgnition(line);
        records.push_back(kvr::decodeLiveRecord(line, context));
    }
    return records;
}

// Whether record i has held still for `seconds` before it: the same
// throttle, MAP within 0.6 and speed within 150 RPM.
inline bool steady(const std::vector<kvr::LiveRecord>& r, size_t i, double seconds) {
    const auto span = static_cast<size_t>(std::lround(seconds * kRecordRate));
    if (i < span) return false;
    for (size_t k = i - span; k < i; ++k) {
        if (r[k].throttle != r[i].throttle || std::abs(*r[k].map - *r[i].map) > 0.3 ||
            std::abs(*r[k].rpm - *r[i].rpm) > 75)
            return false;
    }
    return true;
}

// The bin whose centre is nearest `v`.
inline int nearestBin(const double* centres, int count, double v) {
    int best = 0;
    for (int b = 1; b < count; ++b)
        if (std::abs(centres[b] - v) < std::abs(centres[best] - v)) best = b;
    return best;
}

}  // namespace kvrsim
