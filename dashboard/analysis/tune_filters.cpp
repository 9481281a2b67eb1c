#include "dashboard/analysis/tune_filters.h"

#include <algorithm>
#include <cmath>

#include "dashboard/analysis/sample_timeline.h"

namespace kvr {
namespace {

constexpr double kWarmF = 160.0;
constexpr double kWarmC = 71.0;

// The lowest and highest throttle between two times: the value interpolated
// at the first, every record after it up to the second, and the record just
// after the second too: a state read between two records whose throttle
// differs is one with the throttle moving.
void throttleRange(const std::vector<TuneSample>& s, const TimePoint& start, const TimePoint& end,
                   double& low, double& high) {
    low = high = s[end.high].throttle;
    const double first = valueAt(s, start, &TuneSample::throttle);
    low = std::min(low, first);
    high = std::max(high, first);
    for (size_t j = start.low + 1; j <= end.low; ++j) {
        low = std::min(low, static_cast<double>(s[j].throttle));
        high = std::max(high, static_cast<double>(s[j].throttle));
    }
}

}  // namespace

double warmLimitIn(const FilterOptions& options, char unit) {
    if (options.warmLimit) return *options.warmLimit;
    return unit == 'C' ? kWarmC : kWarmF;
}

SampleFilters::SampleFilters(const TuneSamples& samples, const FilterOptions& options, double lagSeconds)
    : s_(samples.samples),
      o_(options),
      lag_(std::max(0.0, lagSeconds)),
      warmLimit_(warmLimitIn(options, samples.temperatureUnit)) {
    size_t logs = 0;
    for (const TuneSample& x : s_)
        logs = std::max(logs, static_cast<size_t>(x.log) + 1);
    closedThrottle_.assign(logs, HUGE_VAL);
    for (const TuneSample& x : s_) {
        if (!x.has(TuneSample::kRunning) || std::isnan(x.throttle)) continue;
        double& closed = closedThrottle_[x.log];
        closed = std::min(closed, static_cast<double>(x.throttle));
    }
    for (double& c : closedThrottle_)
        c += options.closedThrottleMargin;
}

uint16_t SampleFilters::judge(size_t i, PairedState& state) {
    const TuneSample& x = s_[i];
    if (x.has(TuneSample::kSegmentStart)) segmentFirst_ = i;
    const double t = x.time;
    const double window = o_.throttleWindowSeconds;
    const TimePoint now = locateBack(s_, segmentFirst_, i, t - lag_);
    const TimePoint before = locateBack(s_, segmentFirst_, now.high, t - lag_ - window);
    state.rpm = valueAt(s_, now, &TuneSample::rpm);
    state.map = valueAt(s_, now, &TuneSample::map);
    state.throttle = valueAt(s_, now, &TuneSample::throttle);

    uint16_t removed = 0;
    auto judgeFilter = [&](TuneFilter f, bool removes) {
        if (removes && o_.on(f)) removed |= bit(f);
    };
    const bool narrow = x.has(TuneSample::kNarrowBand);
    judgeFilter(TuneFilter::Stopped,
                !x.has(TuneSample::kRunning) || !(state.rpm > 0) || std::isnan(state.map));
    judgeFilter(TuneFilter::Afr,
                std::isnan(x.mixture) || (!narrow && (x.mixture < o_.afrLow || x.mixture > o_.afrHigh)));
    judgeFilter(TuneFilter::NarrowBand, narrow);
    judgeFilter(TuneFilter::Warm, x.engineTemp < warmLimit_);  // false for NaN: cannot judge
    if (!std::isnan(state.throttle) && window > 0) {
        double low = 0, high = 0;
        throttleRange(s_, before, now, low, high);
        judgeFilter(TuneFilter::AccelPump, (high - low) / window > o_.throttleRateLimit);
        const double rpmBefore = valueAt(s_, before, &TuneSample::rpm);
        judgeFilter(TuneFilter::DecelCut, state.throttle <= closedThrottle_[x.log] &&
                                              (state.rpm - rpmBefore) / window < -o_.rpmFallLimit);
    }
    judgeFilter(TuneFilter::AfterGap, t - s_[segmentFirst_].time < o_.afterGapSeconds);
    judgeFilter(TuneFilter::Window, state.rpm < o_.rpmLow || state.rpm > o_.rpmHigh ||
                                        state.map < o_.mapLow || state.map > o_.mapHigh);
    return removed;
}

}  // namespace kvr
