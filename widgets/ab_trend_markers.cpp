// The trend chart's markers: a line down the plot at each marker's record,
// solid for the user's, dashed for a gap's, and its label in a box along
// the plot's top. They are painted over the off-screen plot on every paint,
// never into it, so moving and scrolling the drawing leaves none behind.
#include "widgets/ab_trend.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <utility>

#include "widgets/ab_trend_parts.h"

using namespace ab_trend;

namespace {

constexpr int kLabelPadding = 3;     // beside a label's text inside its box
constexpr int kLabelRows = 3;        // rows of labels before they overlap
constexpr int kLongestLabel = 180;   // pixels of text; a longer one ends in "..."

}  // namespace

void TAbTrend::setMarkers(std::vector<kvr::TrendMarker> markers) {
    markers_ = std::move(markers);
    measureMarkerLabels();
    update();
}

void TAbTrend::measureMarkerLabels() {
    const QFontMetrics fm(font());
    markerTexts_.clear();
    markerWidths_.clear();
    for (const kvr::TrendMarker& m : markers_) {
        const QString text = fm.elidedText(QString::fromLatin1(m.label.data(), static_cast<qsizetype>(m.label.size())),
                                           Qt::ElideRight, kLongestLabel);
        markerTexts_.push_back(text);
        markerWidths_.push_back(fm.horizontalAdvance(text) + 2 * kLabelPadding);
    }
}

void TAbTrend::setColorMarker(const QColor& c) {
    colorMarker_ = c;
    update();
}

void TAbTrend::setColorGapMarker(const QColor& c) {
    colorGapMarker_ = c;
    update();
}

kvr::RecordSpan TAbTrend::visibleRecords() const {
    return kvr::visibleRecords(recorder_.store().count(), recorder_.firstShown(), recorder_.timeScale(),
                               plotRect_.width());
}

std::vector<kvr::MarkerLabel> TAbTrend::markerLabels() const {
    if (markers_.empty() || plot_.isNull()) return {};
    const int rowHeight = QFontMetrics(font()).height() + 2;
    const int rows = std::max(1, std::min(kLabelRows, plotRect_.height() / std::max(rowHeight, 1)));
    return kvr::layoutMarkerLabels(markers_, markerWidths_, recorder_.firstShown(), recorder_.timeScale(),
                                   plotRect_.width(), rowHeight, rows);
}

int TAbTrend::markerAt(const QPoint& pos) const {
    if (!plotRect_.contains(pos)) return -1;
    return kvr::markerLabelAt(markerLabels(), pos.x() - plotRect_.left(), pos.y() - plotRect_.top());
}

void TAbTrend::paintMarkers(QPainter& p) {
    if (markers_.empty() || plot_.isNull()) return;
    p.save();
    p.setClipRect(plotRect_);
    const int top = plotRect_.top();
    const int bottom = top + recorder_.plotSpan();
    for (const kvr::TrendMarker& m : markers_) {
        const std::optional<int> column =
            kvr::recordColumn(m.record, recorder_.firstShown(), recorder_.timeScale(), plotRect_.width());
        if (!column) continue;
        const bool gap = m.kind == kvr::TrendMarkerKind::Gap;
        p.setPen(gap ? QPen(colorGapMarker_, 1, Qt::DashLine) : QPen(colorMarker_, 1));
        const int x = plotRect_.left() + *column;
        p.drawLine(x, top, x, bottom);
    }
    // Dark text on a box of the line's colour reads over any trace.
    for (const kvr::MarkerLabel& label : markerLabels()) {
        const size_t i = static_cast<size_t>(label.marker);
        const bool gap = markers_[i].kind == kvr::TrendMarkerKind::Gap;
        const QRect box(plotRect_.left() + label.left, top + label.top, label.width, label.height);
        p.fillRect(box, gap ? colorGapMarker_ : colorMarker_);
        p.setPen(Qt::black);
        p.drawText(box.adjusted(kLabelPadding, 0, -kLabelPadding, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   markerTexts_[i]);
    }
    p.restore();
}
