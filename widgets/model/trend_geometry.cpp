#include "widgets/model/trend_geometry.h"

#include <algorithm>
#include <cmath>

#include "widgets/model/picture_format.h"

namespace kvr {

namespace {

constexpr double kRowLimit = 1 << 20;

int roundRow(double row) { return static_cast<int>(std::nearbyint(std::clamp(row, -kRowLimit, kRowLimit))); }

}  // namespace

double pixelScale(int span, int32_t digitSpan) {
    return digitSpan == 0 ? 0.0 : static_cast<double>(span) / digitSpan;
}

int channelRow(uint16_t relativeDigit, double pixelScale, float zoom, int span) {
    return span - roundRow(relativeDigit * pixelScale / zoom);
}

int limitRow(float percent, int span, float zoom) { return span - roundRow(percent * span / 100.0 / zoom); }

int gridRow(int k, int span, int steps) { return roundRow(static_cast<double>(k) * span / steps); }

std::vector<Lane> stackedLanes(int rows, int count, int gap) {
    std::vector<Lane> lanes;
    if (count < 1) return lanes;
    const int height = std::max(1, (rows - (count - 1) * gap) / count);
    for (int i = 0; i < count; ++i) lanes.push_back({i * (height + gap), height - 1});
    lanes.back().span = std::max(lanes.back().span, rows - 1 - lanes.back().top);
    return lanes;
}

ScaleText scaleText(const TSignalSettings* channel, int steps, float zoom) {
    ScaleText text;
    double bottom = 0;
    double top = 100.0 * zoom;
    std::string format = "##0.#";
    text.unit = "%";
    if (channel != nullptr) {
        bottom = channel->ValueFrom();
        top = bottom + static_cast<double>(channel->valueSpan()) * zoom;
        format = channel->ValueFormat();
        text.unit = channel->ValueUnit();
    }
    for (int k = 0; k <= steps; ++k) {
        text.labels.push_back(formatPicture(bottom + (steps - k) * (top - bottom) / steps, format));
    }
    return text;
}

}  // namespace kvr
