#include "live_record_source.h"

#include <cmath>

#include "field_text.h"

namespace kvrsim {

LiveRecordSource::LiveRecordSource(EngineModel engine, unsigned seed, double sensorNoise)
    : engine_(std::move(engine)), sensor_(seed, sensorNoise) {}

double LiveRecordSource::sensedAfr(double t) {
    return sensor_.read(
        t, [this](double s) { return engine_.trueAfrAt(s); }, [this](double s) { return engine_.rpmAt(s); });
}

kvr::LiveFields LiveRecordSource::at(double t) {
    kvr::LiveFields f = engine_.at(t);
    if (engine_.sensesMixture()) {
        const double afr = sensedAfr(t);
        f.afr = engine_.settings().o2Volts ? o2VoltsField(narrowBandVolts(afr)) : afrField(afr);
    }
    return f;
}

std::vector<std::string> driveRecords(const EngineModel& engine, unsigned seed, double seconds,
                                      double ratePerSecond) {
    std::vector<std::string> lines;
    if (!(seconds > 0) || !(ratePerSecond > 0)) return lines;
    LiveRecordSource source(engine, seed);
    const auto count = static_cast<size_t>(std::ceil(seconds * ratePerSecond));
    lines.reserve(count);
    for (size_t n = 0; n < count; ++n) {
        const double t = static_cast<double>(n) / ratePerSecond;
        lines.push_back(kvr::sealLiveRecord(kvr::liveRecordBody(source.at(t))));
    }
    return lines;
}

}  // namespace kvrsim
