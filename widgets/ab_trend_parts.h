// What the trend chart's source files share: its layout constants, colour
// and pen helpers, and what a drawing pass changed.
#pragma once

#include <QColor>
#include <QPainter>
#include <cstdint>

#include "widgets/ab_trend.h"

namespace ab_trend {

constexpr int kBevel = 2;       // the outer bevel's width
constexpr int kScaleGap = 4;    // between a scale's texts and the plot
constexpr int kSideMargin = 4;  // beside the plot where a scale is off
constexpr int kMoveColumns = 100;  // one Left/Right key, as one "<<" or ">>" at one record per column
constexpr int kWheelStep = 120;    // eighths of a degree: one notch of a usual wheel
constexpr int kSeparatorTick = 4;  // rows of a separator's marks at the plot's edges

inline QColor fromRgb(uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

QPainter::CompositionMode compositionOf(TPenMode mode);

// What a drawing pass changed on the off-screen plot.
enum class Drawn { nothing, newColumns, everything };

}  // namespace ab_trend
