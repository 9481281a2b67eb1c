#include "dashboard/ui/analyze_scatter.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "dashboard/analysis/ui/tune_pictures.h"

namespace {

const QColor kPointColour(40, 90, 170, 150);
const QColor kTargetColour(200, 40, 40);

double centreOf(const kvr::TuneResult& r, bool byRpm, int rpmBin, int loadBin) {
    return byRpm ? r.current.rpmCentres[static_cast<size_t>(rpmBin)]
                 : r.current.loadCentres[static_cast<size_t>(loadBin)];
}

QString axisNumber(double v) { return QString::number(v, 'f', std::abs(v) >= 100 ? 0 : 1); }

}  // namespace

std::vector<AfrPoint> cellAfrPoints(const kvr::TuneResult& r, const kvr::TargetAfr& target, bool byRpm) {
    std::vector<AfrPoint> points;
    if (r.narrowBand) return points;
    for (int rb = 0; rb < kvr::kRpmBins; ++rb)
        for (int lb = 0; lb < kvr::kLoadBins; ++lb) {
            const kvr::CellStats& c = r.cells.at(rb, lb);
            if (c.samples == 0 || c.meanRatio <= 0) continue;
            const double want = target.at(r.current.rpmCentres[static_cast<size_t>(rb)],
                                          r.current.loadCentres[static_cast<size_t>(lb)]);
            points.push_back({centreOf(r, byRpm, rb, lb), want * c.meanRatio, c.weight});
        }
    return points;
}

std::vector<double> targetAfrLine(const kvr::TuneResult& r, const kvr::TargetAfr& target, bool byRpm) {
    const int bins = byRpm ? kvr::kRpmBins : kvr::kLoadBins;
    std::vector<double> sum(static_cast<size_t>(bins), 0.0), weight(static_cast<size_t>(bins), 0.0);
    for (int rb = 0; rb < kvr::kRpmBins; ++rb)
        for (int lb = 0; lb < kvr::kLoadBins; ++lb) {
            const kvr::CellStats& c = r.cells.at(rb, lb);
            if (c.samples == 0) continue;
            const auto at = static_cast<size_t>(byRpm ? rb : lb);
            sum[at] += c.weight * target.at(r.current.rpmCentres[static_cast<size_t>(rb)],
                                            r.current.loadCentres[static_cast<size_t>(lb)]);
            weight[at] += c.weight;
        }
    std::vector<double> line(static_cast<size_t>(bins), NAN);
    for (size_t i = 0; i < line.size(); ++i)
        if (weight[i] > 0) line[i] = sum[i] / weight[i];
    return line;
}

AnalyzeScatter::AnalyzeScatter(QWidget* parent) : QWidget(parent) {
    setObjectName("afrScatter");
    setAccessibleName("AFR scatter");
    setMinimumSize(200, 120);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void AnalyzeScatter::setResult(const kvr::TuneResult* result, const kvr::TargetAfr* target) {
    result_ = result;
    target_ = target;
    update();
}

void AnalyzeScatter::setByRpm(bool byRpm) {
    byRpm_ = byRpm;
    update();
}

void AnalyzeScatter::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setPen(palette().text().color());
    const QFontMetricsF fm(font());
    const QString title = QStringLiteral("AFR per cell (dots) and target (line) by ") +
                          (byRpm_ ? QStringLiteral("RPM") : QStringLiteral("MAP"));
    p.drawText(QRectF(4, 2, width() - 8, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, title);
    const QRectF plot(fm.horizontalAdvance(QStringLiteral("00.0")) + 8, fm.height() * 1.5,
                      width() - fm.horizontalAdvance(QStringLiteral("00.0")) - 8 - fm.horizontalAdvance(QStringLiteral("0000")),
                      height() - fm.height() * 3.2);
    if (result_ == nullptr || target_ == nullptr || result_->narrowBand) {
        p.drawText(plot, Qt::AlignCenter,
                   result_ && result_->narrowBand ? QStringLiteral("narrow-band O2: no AFR to show")
                                                  : QStringLiteral("no analysis yet"));
        return;
    }
    const std::vector<AfrPoint> points = cellAfrPoints(*result_, *target_, byRpm_);
    const std::vector<double> line = targetAfrLine(*result_, *target_, byRpm_);
    const std::vector<double> x = kvr::binCentres(*result_, byRpm_);
    double lo = INFINITY, hi = -INFINITY, x0 = INFINITY, x1 = -INFINITY, heaviest = 1;
    for (const AfrPoint& pt : points) {
        lo = std::min(lo, pt.afr), hi = std::max(hi, pt.afr);
        x0 = std::min(x0, pt.x), x1 = std::max(x1, pt.x);
        heaviest = std::max(heaviest, pt.weight);
    }
    for (double v : line)
        if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
    if (points.empty()) {
        p.drawText(plot, Qt::AlignCenter, QStringLiteral("no readings kept"));
        return;
    }
    lo = std::floor(lo - 0.3), hi = std::ceil(hi + 0.3);
    if (x1 - x0 < 1e-9) x0 -= 1, x1 += 1;
    auto at = [&](double xv, double afr) {
        return QPointF(plot.left() + (xv - x0) / (x1 - x0) * plot.width(),
                       plot.bottom() - (afr - lo) / (hi - lo) * plot.height());
    };
    p.setPen(QPen(Qt::gray, 0));
    p.drawRect(plot);
    for (int i = 0; i <= 4; ++i) {
        const double v = lo + (hi - lo) * i / 4;
        const QPointF a = at(x0, v);
        p.drawText(QRectF(0, a.y() - fm.height() / 2, plot.left() - 3, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                   axisNumber(v));
        // The end labels stay within the plot's width.
        const double xv = x0 + (x1 - x0) * i / 4;
        const QPointF b = at(xv, lo);
        const Qt::Alignment along = i == 0 ? Qt::AlignLeft : i == 4 ? Qt::AlignRight : Qt::AlignHCenter;
        const double left = i == 0 ? b.x() : i == 4 ? b.x() - 60 : b.x() - 30;
        p.drawText(QRectF(left, plot.bottom() + 1, 60, fm.height()), along | Qt::AlignTop, axisNumber(xv));
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kPointColour);
    for (const AfrPoint& pt : points) {
        const double radius = 1.2 + 2.5 * std::sqrt(pt.weight / heaviest);
        p.drawEllipse(at(pt.x, pt.afr), radius, radius);
    }
    QPainterPath path;
    bool drawing = false;
    for (size_t i = 0; i < line.size() && i < x.size(); ++i) {
        if (!std::isfinite(line[i])) continue;
        if (drawing)
            path.lineTo(at(x[i], line[i]));
        else
            path.moveTo(at(x[i], line[i]));
        drawing = true;
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kTargetColour, 1.5));
    p.drawPath(path);
}
