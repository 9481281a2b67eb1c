// The log chart's channel set and the rule by which the manifold-pressure
// channel's range follows the ECU's MAP sensor and CONFIG5 setting.
#include "dashboard/dashboard_core.h"

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

struct MapRange {
    float from, to;
};
// By MAP sensor code / 16.
constexpr MapRange kMapRanges[8] = {{-30, 2}, {0, 65}, {-30, 16}, {-30, 30}, {0, 64}, {0, 32}, {-32, 36}, {-32, 65}};

}  // namespace

void initialiseChartChannels(TSignalSettings (&channels)[8]) {
    for (int i = 0; i < 8; ++i) {
        TSignalSettings& c = channels[i];
        c.setDigitalTo(kChannels[i].digitalTo);
        c.setValueUnit(kChannels[i].unit);
        c.setValueFrom(kChannels[i].from);
        c.setValueTo(kChannels[i].to);
    }
}

void DashboardCore::setChartChannelRange(int channel, float from, float to, const std::string& unit) {
    TSignalSettings& c = chartChannels[channel - 1];
    c.setValueFrom(from);
    c.setValueTo(to);
    if (!unit.empty()) c.setValueUnit(unit);
    out.channelRanges.push_back({channel, from, to, unit});
}

void DashboardCore::Rescale_Logchart() {
    memo("RESCALE LOGCHART" + std::to_string(MapSensorCode));
    if (Config5Flags & 0x21) {
        memo("CONFIG5=" + std::to_string(Config5Flags));
        if (Config5Flags & 0x01) setChartChannelRange(3, -32, 45);
        if (Config5Flags & 0x20) setChartChannelRange(3, 0, 125);
        return;
    }
    const MapRange r = kMapRanges[(MapSensorCode >> 4) & 7];
    setChartChannelRange(3, r.from, r.to);
}

}  // namespace kvr
