#include "dashboard/logging/range_stats.h"

#include <algorithm>
#include <cstdio>

#include "widgets/model/trend_recorder.h"

namespace kvr {
namespace {

// Decimals a channel's figures get, by its unit (as the read-out shows them).
int decimalsOf(const std::string& unit) {
    if (unit == "RPM") return 0;
    if (unit == "O2V") return 2;
    return 1;
}

}  // namespace

std::array<ChannelRangeStats, kTrendChannels> rangeStats(const TrendStore& store, int first, int last,
                                                         const TSignalSettings (&channels)[8]) {
    std::array<ChannelRangeStats, kTrendChannels> out{};
    first = std::max(first, 0);
    last = std::min(last, store.count() - 1);
    // The read-back is linear in the stored digit: the digits' minimum,
    // maximum and sum give the values' without reading each one back.
    std::array<uint16_t, kTrendChannels> lo, hi;
    lo.fill(0xFFFF);
    hi.fill(0);
    std::array<double, kTrendChannels> sum{};
    int samples = 0;
    for (int i = first; i <= last; ++i) {
        const TrendRecord& r = store.at(i);
        if (r.isSeparator()) continue;
        ++samples;
        for (int c = 0; c < kTrendChannels; ++c) {
            const uint16_t d = r.digits[static_cast<size_t>(c)];
            lo[static_cast<size_t>(c)] = std::min(lo[static_cast<size_t>(c)], d);
            hi[static_cast<size_t>(c)] = std::max(hi[static_cast<size_t>(c)], d);
            sum[static_cast<size_t>(c)] += d;
        }
    }
    if (samples == 0) return out;
    for (int c = 0; c < kTrendChannels; ++c) {
        const size_t k = static_cast<size_t>(c);
        const double a = readBackValue(channels[c], lo[k]);
        const double b = readBackValue(channels[c], hi[k]);
        const double at0 = readBackValue(channels[c], 0);
        const double perDigit = readBackValue(channels[c], 1) - at0;
        out[k].samples = samples;
        out[k].min = std::min(a, b);  // a negative scale turns them round
        out[k].max = std::max(a, b);
        out[k].mean = at0 + perDigit * (sum[k] / samples);
    }
    return out;
}

std::string rangeStatsText(const ChannelRangeStats& s, const TSignalSettings& channel) {
    const std::string unit = channel.ValueUnit();
    if (s.samples == 0) return unit + ": no records";
    const int d = decimalsOf(unit);
    char text[128];
    std::snprintf(text, sizeof text, "%s min %.*f mean %.*f max %.*f", unit.c_str(), d, s.min, d + 1, s.mean, d,
                  s.max);
    return text;
}

}  // namespace kvr
