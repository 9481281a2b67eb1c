// The log chart's channel set, and its manifold-pressure channel following
// the ECU's MAP sensor and CONFIG5 setting.
#include "dashboard/dashboard_core.h"
#include "dashboard/values/chart_rescale.h"

namespace kvr {
namespace {

struct ChannelDesign {
    const char* unit;
    float from, to;
    int32_t digitalTo;
};

// Channel 1 records 1 rpm a digit; the others their span in 1000 steps.
constexpr ChannelDesign kChannels[8] = {
    {"RPM", 0, 10000, 10000}, {"AFR", 7, 20, 1000},     {"MP", -30, 30, 1000}, {"IGN", -50, 10, 1000},
    {"TP", 0, 64, 1000},      {"AIRTEMP", -60, 250, 1000}, {"KNOCK", 0, 15, 1000}, {"DUTY", 0, 120, 1000},
};

}  // namespace

void designChartChannel(TSignalSettings& c, int channel) {
    const ChannelDesign& d = kChannels[channel - 1];
    c.setDigitalTo(d.digitalTo);
    c.setValueUnit(d.unit);
    c.setValueFrom(d.from);
    c.setValueTo(d.to);
}

void initialiseChartChannels(TSignalSettings (&channels)[8]) {
    for (int i = 0; i < 8; ++i) designChartChannel(channels[i], i + 1);
}

void applyRangeRequest(TSignalSettings& c, const ChannelRangeRequest& r) {
    c.setValueFrom(r.from);
    c.setValueTo(r.to);
    if (!r.unit.empty()) c.setValueUnit(r.unit);
}

void DashboardCore::setChartChannelRange(int channel, float from, float to, const std::string& unit) {
    const ChannelRangeRequest request{channel, from, to, unit};
    applyRangeRequest(chartChannels[channel - 1], request);
    out.channelRanges.push_back(request);
}

void DashboardCore::Rescale_Logchart() {
    const ChartRescale r = kvr::Rescale_Logchart(MapSensorCode, Config5Flags);
    for (const auto& line : r.memoLines) memo(line);
    setChartChannelRange(3, static_cast<float>(r.range.from), static_cast<float>(r.range.to));
}

}  // namespace kvr
