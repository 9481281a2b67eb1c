#include "dashboard/values/chart_rescale.h"

namespace kvr {

ChartRescale Rescale_Logchart(std::uint8_t mapSensorCode, std::uint8_t config5) {
    ChartRescale out;
    out.memoLines.push_back("RESCALE LOGCHART" + std::to_string(mapSensorCode));
    if (config5 & 0x21) {
        out.memoLines.push_back("CONFIG5=" + std::to_string(config5));
        // With both bits set the 4 bar absolute range wins.
        out.range = (config5 & 0x20) ? ValueRange{0, 125} : ValueRange{-32, 45};
        return out;
    }
    static const ValueRange byCode[8] = {{-30, 2},  {0, 65}, {-30, 16},  {-30, 30},
                                         {0, 64},   {0, 32}, {-32, 36},  {-32, 65}};
    out.range = byCode[(mapSensorCode >> 4) & 0x07];
    return out;
}

}  // namespace kvr
