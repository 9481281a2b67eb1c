#include "dashboard/analysis/sensor_lag.h"

#include <cmath>
#include <cstdint>

namespace kvr {
namespace {

constexpr int kMinThrottleSteps = 3;
// Below this the AFR's changes owe too little to the throttle's to place them.
constexpr double kMinCorrelation = 0.1;

bool goodAfr(const TuneSample& x, const FilterOptions& o) {
    return x.has(TuneSample::kRunning) && !x.has(TuneSample::kNarrowBand) && x.mixture >= o.afrLow &&
           x.mixture <= o.afrHigh;
}

// The rates the correlation reads, laid out for one quick pass per candidate
// lag: every record's time and throttle rate, and the records whose AFR rate
// is known.
struct RateSeries {
    struct AfrRate {
        uint32_t at = 0;     // the record
        uint32_t first = 0;  // the first record of its segment
        float rate = 0;
    };
    std::vector<double> time;
    std::vector<float> throttle;  // NaN at a segment's ends and where unknown
    std::vector<AfrRate> afr;
};

// Centred rates of change within each segment; the AFR's only where three
// records in a row are good readings.
RateSeries ratesOfChange(const std::vector<TuneSample>& s, const FilterOptions& o) {
    RateSeries r;
    const size_t n = s.size();
    r.time.resize(n);
    r.throttle.assign(n, TuneSample::kNone);
    uint32_t first = 0;
    for (size_t i = 0; i < n; ++i) {
        r.time[i] = s[i].time;
        if (s[i].has(TuneSample::kSegmentStart)) first = static_cast<uint32_t>(i);
        if (i == 0 || i + 1 >= n || s[i].has(TuneSample::kSegmentStart) ||
            s[i + 1].has(TuneSample::kSegmentStart))
            continue;
        const double dt = s[i + 1].time - s[i - 1].time;
        if (!(dt > 0)) continue;
        r.throttle[i] = static_cast<float>((s[i + 1].throttle - s[i - 1].throttle) / dt);
        if (goodAfr(s[i - 1], o) && goodAfr(s[i], o) && goodAfr(s[i + 1], o))
            r.afr.push_back({static_cast<uint32_t>(i), first,
                             static_cast<float>((s[i + 1].mixture - s[i - 1].mixture) / dt)});
    }
    return r;
}

int countSteps(const std::vector<float>& throttleRate, double limit) {
    int steps = 0;
    bool moving = false;
    for (float r : throttleRate) {
        const bool fast = std::fabs(r) > limit;  // false for NaN
        if (fast && !moving) ++steps;
        moving = fast;
    }
    return steps;
}

// Sums for one candidate lag's correlation.
struct Sums {
    double n = 0, x = 0, y = 0, xx = 0, yy = 0, xy = 0;
    void add(double a, double b) {
        n += 1;
        x += a;
        y += b;
        xx += a * a;
        yy += b * b;
        xy += a * b;
    }
    double correlation() const {
        if (n < 3) return 0;
        const double vx = xx - x * x / n, vy = yy - y * y / n;
        return vx > 0 && vy > 0 ? (xy - x * y / n) / std::sqrt(vx * vy) : 0.0;
    }
};

// For each candidate lag (0, step, 2 step ...), the correlation between the
// AFR's rate at each record and the throttle's rate that long before it,
// within the record's segment. Each record walks back once through the
// records before it, so the work stays where the cache is.
std::vector<double> correlationsByLag(const RateSeries& r, int lags, double step) {
    std::vector<Sums> sums(static_cast<size_t>(lags));
    for (const RateSeries::AfrRate& a : r.afr) {
        size_t j = a.at;  // the last record at or before the time looked at
        for (int k = 0; k < lags; ++k) {
            const double t = r.time[a.at] - k * step;
            if (t < r.time[a.first]) break;
            while (j > a.first && r.time[j] > t)
                --j;
            const size_t next = j < a.at ? j + 1 : j;
            const double span = r.time[next] - r.time[j];
            const double w = span > 0 ? (t - r.time[j]) / span : 0.0;
            const double x = r.throttle[j] + (r.throttle[next] - r.throttle[j]) * w;
            if (!std::isnan(x)) sums[static_cast<size_t>(k)].add(x, a.rate);
        }
    }
    std::vector<double> out;
    for (const Sums& s : sums)
        out.push_back(s.correlation());
    return out;
}

}  // namespace

LagEstimate estimateSensorLag(const TuneSamples& samples, const FilterOptions& options) {
    LagEstimate e;
    const RateSeries rates = ratesOfChange(samples.samples, options);
    e.throttleSteps = countSteps(rates.throttle, options.throttleRateLimit);
    if (e.throttleSteps < kMinThrottleSteps) {
        e.why = "the log has " + std::to_string(e.throttleSteps) + " throttle steps; " +
                std::to_string(kMinThrottleSteps) + " or more are needed to find the sensor lag";
        return e;
    }
    const int lags = static_cast<int>(kMaxLagMs / kLagStepMs) + 1;
    e.correlations = correlationsByLag(rates, lags, kLagStepMs / 1000.0);
    size_t best = 0;
    for (size_t k = 1; k < e.correlations.size(); ++k)
        if (std::fabs(e.correlations[k]) > std::fabs(e.correlations[best])) best = k;
    const double peak = e.correlations[best];
    if (std::fabs(peak) < kMinCorrelation) {
        e.why = "the AFR does not follow the throttle's steps clearly enough to find the sensor lag";
        return e;
    }
    e.found = true;
    e.ms = static_cast<double>(best) * kLagStepMs;
    e.correlation = peak;
    return e;
}

}  // namespace kvr
