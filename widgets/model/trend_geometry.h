// Pixel arithmetic of the trend plot. Rows count from 0 at the top; `span`
// is the distance in pixels from the top row to the bottom row (rows - 1),
// so full scale lands on the top row and the scale's foot on the bottom row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "widgets/model/signal_settings.h"

namespace kvr {

// Pixels per digit of a channel: span / digit span (0 for an empty span).
double pixelScale(int span, int32_t digitSpan);

// The row of a relative digit: span - round(digit * pixelScale / zoom),
// rounded half to even. Rows far outside the plot are pulled in to
// +-2^20, which keeps them clear of the painter's fixed-point range without
// changing anything that shows.
int channelRow(uint16_t relativeDigit, double pixelScale, float zoom, int span);

// The row of a limit given in percent of the plot height.
int limitRow(float percent, int span, float zoom);

// The row of horizontal grid line k (0 = top .. steps = bottom).
int gridRow(int k, int span, int steps);

// A channel's lane in the stacked view: rows top .. top + span.
struct Lane {
    int top = 0;
    int span = 0;
    int bottom() const { return top + span; }
};

// `count` lanes of equal height stacked over `rows` rows, the first at the
// top, `gap` rows between neighbours; the rows left over go to the bottom
// lane, so the lanes end on the plot's last row. Empty when count < 1; with
// too few rows every lane gets at least one row and the lowest run past
// the plot.
std::vector<Lane> stackedLanes(int rows, int count, int gap);

// The texts of a value scale: steps + 1 labels, the top label first, and
// the unit drawn above them. Channel null is the percent scale.
struct ScaleText {
    std::vector<std::string> labels;
    std::string unit;
};
ScaleText scaleText(const TSignalSettings* channel, int steps, float zoom);

}  // namespace kvr
