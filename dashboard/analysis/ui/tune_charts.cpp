#include "dashboard/analysis/ui/tune_charts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace kvr {
namespace {

// The title above, a band for the axis labels left and below: what remains.
QRectF plotArea(QPainter& p, const QRectF& area, const QString& title) {
    const QFontMetricsF fm(p.font());
    p.drawText(QRectF(area.left(), area.top(), area.width(), fm.height()), Qt::AlignLeft | Qt::AlignVCenter, title);
    const double left = fm.horizontalAdvance(QStringLiteral("-00000")) + 4;
    // Below the plot: a row of axis numbers and the axis caption.
    return QRectF(area.left() + left, area.top() + fm.height() * 1.4, area.width() - left - 4,
                  area.height() - fm.height() * 3.6);
}

QString shortNumber(double v) {
    return std::abs(v) >= 100 ? QString::number(v, 'f', 0) : QString::number(v, 'g', 3);
}

}  // namespace

void paintCurves(QPainter& p, const QRectF& area, const QString& title, const QString& xUnit,
                 const std::vector<double>& x, const std::vector<CurveSeries>& series) {
    p.save();
    const QRectF plot = plotArea(p, area, title);
    double lo = INFINITY, hi = -INFINITY;
    for (const CurveSeries& s : series)
        for (double v : s.values)
            if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
    if (x.size() < 2 || !std::isfinite(lo)) {
        p.drawText(plot, Qt::AlignCenter, QStringLiteral("no data"));
        p.restore();
        return;
    }
    if (hi - lo < 1e-9) hi = lo + 1;
    const double pad = (hi - lo) * 0.05;
    lo -= pad;
    hi += pad;
    const double x0 = x.front(), x1 = x.back() == x0 ? x0 + 1 : x.back();
    auto at = [&](double xv, double yv) {
        return QPointF(plot.left() + (xv - x0) / (x1 - x0) * plot.width(),
                       plot.bottom() - (yv - lo) / (hi - lo) * plot.height());
    };
    const QFontMetricsF fm(p.font());
    p.setPen(QPen(Qt::gray, 0));
    p.drawRect(plot);
    for (int i = 0; i <= 4; ++i) {
        const double v = lo + (hi - lo) * i / 4;
        const QPointF a = at(x0, v);
        p.drawLine(a, QPointF(plot.right(), a.y()));
        p.drawText(QRectF(area.left(), a.y() - fm.height() / 2, plot.left() - area.left() - 3, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, shortNumber(v));
    }
    for (int i = 0; i <= 5; ++i) {
        const double xv = x0 + (x1 - x0) * i / 5;
        const QPointF a = at(xv, lo);
        p.drawText(QRectF(a.x() - 40, plot.bottom() + 2, 80, fm.height()), Qt::AlignCenter, shortNumber(xv));
    }
    p.drawText(QRectF(plot.left(), plot.bottom() + fm.height(), plot.width(), fm.height()), Qt::AlignRight, xUnit);
    double legendX = plot.left() + 4;
    for (const CurveSeries& s : series) {
        QPen pen(s.colour, 1.5);
        if (s.dashed) pen.setStyle(Qt::DashLine);
        p.setPen(pen);
        QPainterPath path;
        bool drawing = false;
        for (size_t i = 0; i < x.size() && i < s.values.size(); ++i) {
            if (!std::isfinite(s.values[i])) {
                drawing = false;
                continue;
            }
            const QPointF pt = at(x[i], s.values[i]);
            if (drawing)
                path.lineTo(pt);
            else
                path.moveTo(pt);
            drawing = true;
        }
        p.drawPath(path);
        const double y = plot.top() + fm.height() * 0.8;
        p.drawLine(QPointF(legendX, y), QPointF(legendX + 16, y));
        p.setPen(Qt::black);
        p.drawText(QPointF(legendX + 20, y + fm.ascent() / 2 - 1), s.name);
        legendX += 28 + fm.horizontalAdvance(s.name);
    }
    p.restore();
}

QColor heatColour(double v, HeatScale scale, double range) {
    if (!std::isfinite(v)) return QColor(235, 235, 235);
    if (range <= 0) range = 1;
    if (scale == HeatScale::Count) {
        const double t = std::clamp(v / range, 0.0, 1.0);
        return QColor::fromRgbF(static_cast<float>(1 - 0.85 * t), static_cast<float>(1 - 0.7 * t), 1.0f);
    }
    const double t = std::clamp(v / range, -1.0, 1.0);
    const float a = static_cast<float>(1 - std::abs(t));
    return t >= 0 ? QColor::fromRgbF(1.0f, a, a) : QColor::fromRgbF(a, a, 1.0f);
}

void paintHeatMap(QPainter& p, const QRectF& area, const QString& title, const HeatGrid& g, HeatScale scale,
                  double range, const QString& rowUnit, const QString& colUnit) {
    p.save();
    const QRectF plot = plotArea(p, area, title);
    if (g.rows <= 0 || g.cols <= 0 || g.values.size() < static_cast<size_t>(g.rows * g.cols)) {
        p.drawText(plot, Qt::AlignCenter, QStringLiteral("no data"));
        p.restore();
        return;
    }
    const double w = plot.width() / g.cols, h = plot.height() / g.rows;
    p.setPen(Qt::NoPen);
    for (int r = 0; r < g.rows; ++r)
        for (int c = 0; c < g.cols; ++c) {
            p.setBrush(heatColour(g.values[static_cast<size_t>(r * g.cols + c)], scale, range));
            p.drawRect(QRectF(plot.left() + c * w, plot.bottom() - (r + 1) * h, w + 0.5, h + 0.5));
        }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::gray, 0));
    p.drawRect(plot);
    const QFontMetricsF fm(p.font());
    p.setPen(Qt::black);
    // Every so many bins gets its number, as many as fit without touching.
    const double labelWidth = fm.horizontalAdvance(QStringLiteral("-0000.0"));
    const int colStep = std::max(1, static_cast<int>(std::ceil(labelWidth / w)));
    const int rowStep = std::max(1, static_cast<int>(std::ceil(fm.height() * 1.2 / h)));
    for (int r = 0; r < g.rows && r < static_cast<int>(g.rowCentres.size()); r += rowStep) {
        const double y = plot.bottom() - (r + 0.5) * h;
        p.drawText(QRectF(area.left(), y - fm.height() / 2, plot.left() - area.left() - 3, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, shortNumber(g.rowCentres[static_cast<size_t>(r)]));
    }
    for (int c = 0; c < g.cols && c < static_cast<int>(g.colCentres.size()); c += colStep) {
        const double xc = plot.left() + (c + 0.5) * w;
        p.drawText(QRectF(xc - labelWidth / 2, plot.bottom() + 2, labelWidth, fm.height()), Qt::AlignCenter,
                   shortNumber(g.colCentres[static_cast<size_t>(c)]));
    }
    p.drawText(QRectF(plot.left(), plot.bottom() + fm.height(), plot.width(), fm.height()), Qt::AlignRight,
               colUnit + QStringLiteral(" across, ") + rowUnit + QStringLiteral(" up"));
    p.restore();
}

}  // namespace kvr
