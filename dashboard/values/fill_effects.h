// What a decode changes outside the sheets: meters of the Gauges tab, log chart channel ranges and
// a panel caption. The window applies these to its widgets; an empty optional means "unchanged".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvr {

struct ValueRange {
    double from = 0;
    double to = 0;
    bool operator==(const ValueRange& other) const { return from == other.from && to == other.to; }
};

struct O2ChannelSetting {  // log chart channel 2
    ValueRange range;
    std::string unit;
};

struct RpmRangeSetting {  // log chart channel 1 and the RPM meter Ab270Meter1
    int chartTop = 0;
    int meterTop = 0;
    int meterSteps = 0;
};

struct FillEffects {
    bool ignitionAndKnockMetersVisible = true;      // Ab270Meter5, Ab270Meter6
    ValueRange mapMeterRange;                       // Ab270Meter2
    ValueRange mapChannelRange;                     // log chart channel 3, from the rescale
    std::optional<O2ChannelSetting> o2Channel;
    std::optional<RpmRangeSetting> rpmRange;
    std::optional<std::string> loadFuelPanelCaption;  // the panel above StringGrid3
};

}  // namespace kvr
