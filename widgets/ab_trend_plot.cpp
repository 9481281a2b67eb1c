// The trend chart's off-screen plot: what the recorder's drawing plan says,
// drawn incrementally.
#include "widgets/ab_trend.h"

#include <QDateTime>
#include <QFile>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include "widgets/model/trend_geometry.h"
#include "widgets/model/trend_time.h"
#include "widgets/recording_clock.h"

#include "widgets/ab_trend_parts.h"

using namespace ab_trend;

int TAbTrend::drawPlan() {
    const kvr::TrendDrawPlan plan = recorder_.nextDraw();
    if (plot_.isNull()) return static_cast<int>(Drawn::nothing);
    if (plan.scroll > 0) scrollPlot(plan.scroll);
    if (plan.background && plan.backgroundFrom < plot_.width()) drawBackground(plan.backgroundFrom);
    if (plan.from <= plan.to) drawRecords(plan.from, plan.to);
    if (plan.background) return static_cast<int>(Drawn::everything);
    return static_cast<int>(plan.from <= plan.to ? Drawn::newColumns : Drawn::nothing);
}

void TAbTrend::scrollPlot(int columns) {
    const QVector<qreal> dots = QPen(Qt::DotLine).dashPattern();
    const int period = static_cast<int>(std::accumulate(dots.begin(), dots.end(), 0.0));
    dotShift_ = period > 0 ? (dotShift_ + columns) % period : 0;
    const int keep = plot_.width() - columns;
    const std::size_t pixel = static_cast<std::size_t>(plot_.depth() / 8);
    for (int y = 0; y < plot_.height(); ++y) {
        uchar* row = plot_.scanLine(y);
        std::memmove(row, row + columns * pixel, keep * pixel);
    }
}

void TAbTrend::drawBackground(int fromColumn) {
    QPainter p(&plot_);
    const int width = plot_.width();
    const int span = recorder_.plotSpan();
    // Drawn over the whole width and clipped, so a part comes out exactly
    // as it would in a complete redraw.
    p.setClipRect(QRect(fromColumn, 0, width - fromColumn, plot_.height()));
    p.fillRect(plot_.rect(), colorPlot_);

    if (recorder_.stacked()) {
        drawLaneBackground(p);
        return;
    }
    const kvr::TTrendLimit& upper = recorder_.LimitUpper();
    if (upper.Enabled) {
        const int y = recorder_.limitRow(upper);
        if (upper.Filled) {
            if (y > 0) p.fillRect(QRect(0, 0, width, y), fromRgb(upper.Color));
        } else {
            p.setPen(fromRgb(upper.Color));
            p.drawLine(0, y, width - 1, y);
        }
    }
    const kvr::TTrendLimit& lower = recorder_.LimitLower();
    if (lower.Enabled) {
        const int y = recorder_.limitRow(lower);
        if (lower.Filled) {
            if (y < span) p.fillRect(QRect(0, y + 1, width, span - y), fromRgb(lower.Color));
        } else {
            p.setPen(fromRgb(lower.Color));
            p.drawLine(0, y, width - 1, y);
        }
    }

    if (recorder_.hasOption(kvr::opGrid)) {
        QPen dots(colorGrid_, 1, Qt::DotLine);
        dots.setDashOffset(dotShift_);
        p.setPen(dots);
        const int steps = recorder_.GridYSteps();
        for (int k = 0; k <= steps; ++k) {
            const int y = kvr::gridRow(k, span, steps);
            p.drawLine(0, y, width - 1, y);
        }
        p.setPen(QPen(colorGrid_, 1, Qt::DotLine));
        for (int x = 0; x < width; x += recorder_.GridXPixel())
            p.drawLine(x, 0, x, span);
    }
}

void TAbTrend::drawRecords(int from, int to) {
    QPainter p(&plot_);
    const kvr::TrendStore& store = recorder_.store();
    const kvr::TimeScale& scale = recorder_.timeScale();
    const int first = recorder_.firstShown();
    const int span = recorder_.plotSpan();
    const int recordWidth = scale.pixelsPerRecord;  // columns one trace covers
    const std::vector<kvr::ColumnTrace> traces = kvr::traceColumns(store, first, scale, from, to);
    auto columnOf = [&](const kvr::ColumnTrace& t) { return static_cast<int>(t.column); };

    // A column that holds a separator shows it at any zoom: a line under
    // the data, and ticks at the plot's top and bottom edges over it, so a
    // break still shows where many records share a column and their lines
    // fill it, and no value under the line is hidden.
    const int tick = std::min(kSeparatorTick, (span + 1) / 2);
    auto ticks = [&](int column) {
        p.fillRect(QRect(column, 0, recordWidth, tick), colorSeparator_);
        p.fillRect(QRect(column, span + 1 - tick, recordWidth, tick), colorSeparator_);
    };
    for (const kvr::ColumnTrace& t : traces) {
        if (t.separator) p.fillRect(QRect(columnOf(t), 0, recordWidth, span + 1), colorSeparator_);
    }

    const int fill = recorder_.FillChannelNo();
    if (fill > 0 && recorder_.channel(fill).Visible()) {
        const QColor colour = fromRgb(recorder_.channel(fill).Color());
        const int bottom = recorder_.channelBottomRow(fill);
        const std::optional<kvr::Lane> lane = recorder_.laneOf(fill);
        for (const kvr::ColumnTrace& t : traces) {
            const int top = std::max(lane ? lane->top : 0, recorder_.channelRow(fill, t.high[fill - 1]));
            if (top <= bottom) p.fillRect(QRect(columnOf(t), top, recordWidth, bottom - top + 1), colour);
        }
    }

    drawChannelLines(p, traces, from);

    for (const kvr::ColumnTrace& t : traces) {
        if (t.separator) ticks(columnOf(t));
    }
    // The line from the record before `from` crossed that record's column,
    // drawn earlier: its ticks go on top again.
    if (from > 0 && from - 1 < store.count()) {
        const int64_t column = scale.columnOf(int64_t{from} - 1 - first);
        const int columnStart = static_cast<int>(std::max<int64_t>(0, first + scale.recordAt(column)));
        const std::vector<kvr::ColumnTrace> before = kvr::traceColumns(store, first, scale, columnStart, from - 1);
        if (!before.empty() && before.back().separator) ticks(static_cast<int>(column));
    }
}

// Each column's line runs from its first value down to its lowest, up to
// its highest and on to its last, which covers every value in it; with one
// record per column that is just the record's point. The first point joins
// the record before `from`, which may lie just left of the plot after a
// page turn.
void TAbTrend::drawChannelLines(QPainter& p, const std::vector<kvr::ColumnTrace>& traces, int from) {
    const kvr::TrendStore& store = recorder_.store();
    const kvr::TimeScale& scale = recorder_.timeScale();
    const int first = recorder_.firstShown();
    auto columnOf = [](const kvr::ColumnTrace& t) { return static_cast<int>(t.column); };
    QPolygon line;
    line.reserve(static_cast<int>(traces.size()) * 4 + 1);
    QVector<QLine> segments;
    auto add = [&line](int x, int y) {
        if (line.isEmpty() || line.back() != QPoint(x, y)) line << QPoint(x, y);
    };
    for (int n = 1; n <= kvr::kTrendChannels; ++n) {
        const kvr::TChSettings& ch = recorder_.channel(n);
        if (!ch.Visible()) continue;
        const std::size_t c = static_cast<std::size_t>(n - 1);
        line.clear();
        if (from > 0 && from - 1 < store.count()) {
            add(static_cast<int>(scale.columnOf(int64_t{from} - 1 - first)),
                recorder_.channelRow(n, store.at(from - 1).digits[c]));
        }
        for (const kvr::ColumnTrace& t : traces) {
            const int x = columnOf(t);
            add(x, recorder_.channelRow(n, t.first[c]));
            add(x, recorder_.channelRow(n, t.low[c]));
            add(x, recorder_.channelRow(n, t.high[c]));
            add(x, recorder_.channelRow(n, t.last[c]));
        }
        if (line.isEmpty()) continue;
        p.setPen(QPen(fromRgb(ch.Color()), ch.PenWidth()));
        // A stacked channel stays in its lane, as a channel stays in the plot.
        const std::optional<kvr::Lane> lane = recorder_.laneOf(n);
        if (lane) p.setClipRect(QRect(0, lane->top, plot_.width(), lane->span + 1));
        p.setClipping(lane.has_value());
        if (line.size() == 1) {
            p.drawPoint(line.front());
            continue;
        }
        // Separate segments rather than one polyline: a segment's pixels
        // then depend on its own two ends only, so a line drawn a few
        // records at a time comes out as the same line drawn at once.
        segments.clear();
        for (int i = 1; i < line.size(); ++i) segments.append(QLine(line[i - 1], line[i]));
        p.drawLines(segments);
    }

}
