// The stacked view of the trend chart: each shown channel in a lane of its
// own, with its own grid and scale, so channels of very different ranges
// (knock counts beside RPM) each use the full height of their lane.
#include <QPainter>
#include <algorithm>
#include <numeric>

#include "widgets/ab_trend.h"
#include "widgets/ab_trend_parts.h"
#include "widgets/model/trend_geometry.h"

using namespace ab_trend;

namespace {

// Grid lines a lane gets: as many of the plot's steps as leave 20 rows
// between lines, at least its top and bottom.
int laneSteps(const kvr::Lane& lane, int gridSteps) {
    return std::clamp(lane.span / 20, 1, std::max(1, gridSteps));
}

}  // namespace

void TAbTrend::setStacked(bool on) {
    if (on == recorder_.stacked()) return;
    recorder_.setStacked(on);
    emit stackedChanged(on);
}

void TAbTrend::drawLaneBackground(QPainter& p) {
    const int width = plot_.width();
    const bool grid = recorder_.hasOption(kvr::opGrid);
    QPen dots(colorGrid_, 1, Qt::DotLine);
    dots.setDashOffset(dotShift_);
    for (int n = 1; n <= kvr::kTrendChannels; ++n) {
        const std::optional<kvr::Lane> lane = recorder_.laneOf(n);
        if (!lane) continue;
        // The rows between lanes in the grid's colour, so the lanes stand apart.
        if (lane->top > 0) p.fillRect(QRect(0, lane->top - 2, width, 1), colorGrid_);
        if (!grid) continue;
        p.setPen(dots);
        const int steps = laneSteps(*lane, recorder_.GridYSteps());
        for (int k = 0; k <= steps; ++k) {
            const int y = lane->top + kvr::gridRow(k, lane->span, steps);
            p.drawLine(0, y, width - 1, y);
        }
    }
    if (grid) {
        p.setPen(QPen(colorGrid_, 1, Qt::DotLine));
        for (int x = 0; x < width; x += recorder_.GridXPixel()) p.drawLine(x, 0, x, recorder_.plotSpan());
    }
}

void TAbTrend::paintLaneScales(QPainter& p) {
    const QFontMetrics fm(font());
    const int th = fm.height();
    const bool left = recorder_.hasOption(kvr::opLeftScale);
    const bool right = recorder_.hasOption(kvr::opRightScale);
    for (int n = 1; n <= kvr::kTrendChannels; ++n) {
        const std::optional<kvr::Lane> lane = recorder_.laneOf(n);
        if (!lane) continue;
        const kvr::TChSettings& ch = recorder_.channel(n);
        const kvr::ScaleText text = kvr::scaleText(&ch, 1, recorder_.zoom());
        const int top = plotRect_.top() + lane->top;
        const int bottom = plotRect_.top() + lane->bottom();
        const QColor colour = fromRgb(ch.Color());
        p.setPen(colour);
        if (left) {
            const QRect column = leftScaleRect_.adjusted(0, 0, -kScaleGap, 0);
            // The top value against the lane's top edge, the bottom value
            // against its bottom edge; a lane too low for both keeps the top.
            p.drawText(QRect(column.left(), top, column.width(), th), Qt::AlignRight | Qt::AlignTop,
                       QString::fromStdString(text.labels.front()));
            if (bottom - top + 1 >= 2 * th)
                p.drawText(QRect(column.left(), bottom - th + 1, column.width(), th), Qt::AlignRight | Qt::AlignBottom,
                           QString::fromStdString(text.labels.back()));
        }
        if (right) {
            const QRect column = rightScaleRect_.adjusted(kScaleGap, 0, 0, 0);
            const QString unit = fm.elidedText(QString::fromStdString(text.unit), Qt::ElideRight, column.width());
            p.drawText(QRect(column.left(), (top + bottom) / 2 - th / 2, column.width(), th),
                       Qt::AlignLeft | Qt::AlignVCenter, unit);
        }
    }
}
