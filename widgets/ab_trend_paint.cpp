// Painting the trend chart: the plot image, its scales, time labels, cursor
// and reference lines (the markers over the plot: ab_trend_markers.cpp).
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
#include "widgets/model/trend_axis_labels.h"
#include "widgets/model/trend_geometry.h"
#include "widgets/model/trend_time.h"
#include "widgets/recording_clock.h"

#include "widgets/ab_trend_parts.h"

using namespace ab_trend;

QString TAbTrend::timeLabel(double days) const {
    if (timeFormat_.isEmpty()) return QString::fromStdString(kvr::timeOfDayText(days));
    const kvr::DayTime t = kvr::splitDays(days);
    const QDateTime stamp(QDate(1899, 12, 30).addDays(t.day), QTime::fromMSecsSinceStartOfDay(t.msOfDay));
    return stamp.toString(timeFormat_);
}

void TAbTrend::paintScale(QPainter& p, int channel, const QRect& column) {
    const QFontMetrics fm(font());
    const int th = fm.height();
    const int steps = recorder_.GridYSteps();
    const kvr::ScaleText text =
        kvr::scaleText(channel > 0 ? &recorder_.channel(channel) : nullptr, steps, recorder_.zoom());
    const int textWidth = column.width() - kScaleGap;
    const int x = column.left();
    p.setPen(palette().color(QPalette::WindowText));
    for (int k = 0; k <= steps; ++k) {
        const int y = plotRect_.top() + kvr::gridRow(k, recorder_.plotSpan(), steps);
        p.drawText(QRect(x, y - th / 2, textWidth, th), Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromStdString(text.labels[static_cast<std::size_t>(k)]));
    }
    p.drawText(QRect(x, plotRect_.top() - th / 2 - th, textWidth, th), Qt::AlignRight | Qt::AlignVCenter,
               QString::fromStdString(text.unit));
    if (channel > 0) {
        p.setPen(fromRgb(recorder_.channel(channel).Color()));
        p.drawText(QRect(x, column.bottom() - th + 1, textWidth, th), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral(" Ch%1 ").arg(channel));
    }
}

void TAbTrend::paintReferenceLine(QPainter& p) {
    const std::optional<int> column = recorder_.referenceColumn();
    if (!column || plot_.isNull()) return;
    // Dashed, so it stays apart from the cursor line and the separators.
    QPen pen(colorReferenceLine_, 1, Qt::DashLine);
    p.setPen(pen);
    const int x = plotRect_.left() + *column;
    p.drawLine(x, plotRect_.top(), x, plotRect_.top() + recorder_.plotSpan());
}

void TAbTrend::paintTimeLabels(QPainter& p) {
    const bool time = recorder_.hasOption(kvr::opTime);
    const bool date = recorder_.hasOption(kvr::opDate);
    if (!time && !date) return;
    const QFontMetrics fm(font());
    const int th = fm.height();
    const kvr::TrendStore& store = recorder_.store();
    const int first = recorder_.firstShown();
    const int step = recorder_.GridXPixel();
    const kvr::TimeScale& scale = recorder_.timeScale();
    p.setPen(colorTime_);
    // Without a date row of their own, the labels carry the date once the
    // view crosses midnight or the log runs over several days; where such
    // a label is wider than a grid column, only every so many are drawn.
    const bool withDate = time && !date && timeFormat_.isEmpty() && labelsNeedDate();
    const int every =
        withDate ? std::max(1, (fm.horizontalAdvance(QStringLiteral("00-00 00:00:00")) + 6 + step - 1) / step) : 1;
    int label = 0;
    for (int x = step; x < plotRect_.width(); x += step, ++label) {
        const int64_t index = first + scale.recordAt(x);
        if (index >= store.count()) break;
        if (label % every != 0) continue;
        const double stamp = store.at(static_cast<int>(index)).time;
        const int centre = plotRect_.left() + x;
        const int half = step * every / 2;
        int y = plotRect_.bottom() + 3;
        if (time) {
            const QString text =
                withDate ? QString::fromStdString(kvr::axisLabelText(stamp, true)) : timeLabel(stamp);
            p.drawText(QRect(centre - half, y, 2 * half, th), Qt::AlignCenter, text);
            y += th;
        }
        if (date)
            p.drawText(QRect(centre - half, y, 2 * half, th), Qt::AlignCenter,
                       QString::fromStdString(kvr::dateText(stamp)));
    }
}

bool TAbTrend::labelsNeedDate() const {
    // The first and last sample in the plot, and in the log.
    const kvr::TrendStore& store = recorder_.store();
    const kvr::RecordSpan span = visibleRecords();
    auto sampleTime = [&store](int from, int to, int step) {
        for (int i = from; i != to + step; i += step)
            if (!store.at(i).isSeparator()) return store.at(i).time;
        return 0.0;
    };
    if (span.empty() || store.count() == 0) return false;
    return kvr::axisLabelsNeedDate(sampleTime(span.first, span.last, 1), sampleTime(span.last, span.first, -1),
                                   sampleTime(0, store.count() - 1, 1), sampleTime(store.count() - 1, 0, -1));
}

void TAbTrend::paintCursorLine(QPainter& p) {
    const int column = recorder_.cursorColumn();
    if (!recorder_.cursorShown() || plot_.isNull() || column < 0 || column >= plot_.width()) return;
    // The line is combined with a copy of its column, so the plot image
    // itself never holds it and moving it needs no redraw.
    QImage line = plot_.copy(column, 0, 1, plot_.height());
    {
        QPainter lp(&line);
        lp.setCompositionMode(compositionOf(cursorLinePenMode_));
        lp.fillRect(line.rect(), colorCursorLine_);
    }
    p.drawImage(plotRect_.left() + column, plotRect_.top(), line);
}

void TAbTrend::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Button));

    // Raised outer bevel; in the highlight colour while the chart has the
    // keys, so it is plain where Left, Right, + and - go.
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    const bool focused = hasFocus();
    p.setPen(focused ? pal.color(QPalette::Highlight) : pal.color(QPalette::Light));
    p.drawLine(outer.topLeft(), outer.topRight());
    p.drawLine(outer.topLeft(), outer.bottomLeft());
    p.setPen(focused ? pal.color(QPalette::Highlight) : pal.color(QPalette::Dark));
    p.drawLine(outer.bottomLeft(), outer.bottomRight());
    p.drawLine(outer.topRight(), outer.bottomRight());

    if (recorder_.hasOption(kvr::opCaption)) {
        p.setFont(captionFont_);
        p.setPen(pal.color(QPalette::WindowText));
        p.drawText(QRect(plotRect_.left(), kBevel, plotRect_.width(), headerHeight_), Qt::AlignCenter,
                   caption_);
        p.setFont(font());
    }
    if (recorder_.stacked()) {
        paintLaneScales(p);
    } else {
        if (recorder_.hasOption(kvr::opLeftScale)) paintScale(p, recorder_.LeftScaleCh(), leftScaleRect_);
        if (recorder_.hasOption(kvr::opRightScale)) paintScale(p, recorder_.AbsScaleCh(), rightScaleRect_);
    }

    // Lowered inner bevel round the plot.
    const QRect inner = plotRect_.adjusted(-1, -1, 0, 0);
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(inner.topLeft(), inner.topRight());
    p.drawLine(inner.topLeft(), inner.bottomLeft());
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(inner.bottomLeft(), inner.bottomRight());
    p.drawLine(inner.topRight(), inner.bottomRight());

    if (!plot_.isNull()) p.drawImage(plotRect_.topLeft(), plot_);
    paintMarkers(p);
    paintTimeLabels(p);
    paintReferenceLine(p);
    paintCursorLine(p);
}
