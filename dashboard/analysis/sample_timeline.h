// Reading the samples of one log segment as functions of time: where a time
// falls between two samples, and a channel's value there by linear
// interpolation. The analysis asks this for every record at a time a little
// before it (the sensor lag, the throttle window), so the search walks back
// from a known index instead of searching the whole log.
#pragma once

#include <cstddef>
#include <vector>

#include "dashboard/analysis/tune_samples.h"

namespace kvr {

struct TimePoint {
    size_t low = 0, high = 0;
    double weight = 0;   // of `high`
    bool inside = true;  // false: t lies before the segment's first sample (held there)
};

// Where time t falls in the segment whose first sample is `first`, searching
// back from `from` (t must not lie after samples[from].time).
inline TimePoint locateBack(const std::vector<TuneSample>& s, size_t first, size_t from, double t) {
    TimePoint p;
    size_t j = from;
    while (j > first && s[j].time > t)
        --j;
    if (s[j].time > t) {  // before the first sample
        p.low = p.high = j;
        p.inside = false;
        return p;
    }
    p.low = j;
    p.high = j < from ? j + 1 : j;
    const double span = s[p.high].time - s[p.low].time;
    p.weight = span > 0 ? (t - s[p.low].time) / span : 0.0;
    return p;
}

inline double valueAt(const std::vector<TuneSample>& s, const TimePoint& p, float TuneSample::*channel) {
    const double a = s[p.low].*channel;
    const double b = s[p.high].*channel;
    return a + (b - a) * p.weight;
}

}  // namespace kvr
