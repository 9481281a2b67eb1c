// The log chart's manifold-pressure channel follows the MAP sensor: asked for by every decode and
// by the polling tick while the chart has not been rescaled for the image held.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dashboard/values/fill_effects.h"

namespace kvr {

struct ChartRescale {
    std::vector<std::string> memoLines;
    ValueRange range;  // applied as ValueFrom first, then ValueTo
};

ChartRescale Rescale_Logchart(std::uint8_t mapSensorCode, std::uint8_t config5);

}  // namespace kvr
