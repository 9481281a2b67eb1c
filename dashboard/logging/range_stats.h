// The minimum, mean and maximum of each chart channel over a range of the
// log's records (the chart's visible range), read back in the channels'
// units. Separators are passed over.
#pragma once

#include <array>
#include <string>

#include "dashboard/logging/trend_store.h"
#include "widgets/model/signal_settings.h"

namespace kvr {

struct ChannelRangeStats {
    int samples = 0;
    double min = 0, mean = 0, max = 0;
};

// Records first..last (inclusive, clamped to the store).
std::array<ChannelRangeStats, kTrendChannels> rangeStats(const TrendStore& store, int first, int last,
                                                         const TSignalSettings (&channels)[8]);

// "RPM min 812 mean 2450.3 max 5210": one channel's figures with its unit,
// each with the digits its channel shows; "RPM: no records" when empty.
std::string rangeStatsText(const ChannelRangeStats& stats, const TSignalSettings& channel);

}  // namespace kvr
