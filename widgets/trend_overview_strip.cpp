#include "widgets/trend_overview_strip.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "widgets/ab_trend.h"

namespace {

constexpr int kEdgeSlop = 3;  // columns either side of an edge that grip it

QColor rgbColour(uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

TrendOverviewStrip::TrendOverviewStrip(TAbTrend* chart, QWidget* parent) : QWidget(parent), chart_(chart) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setToolTip("The whole log: click to go there, drag the window to move, drag its edges to zoom");
    setAccessibleName("Log overview");
    connect(chart_, &TAbTrend::viewChanged, this, qOverload<>(&QWidget::update));
    connect(chart_, &TAbTrend::timeScaleChanged, this, qOverload<>(&QWidget::update));
}

void TrendOverviewStrip::setColorWindow(const QColor& c) {
    colorWindow_ = c;
    update();
}

QRect TrendOverviewStrip::stripRect() const {
    // Under the chart's plot, when the strip stands under the chart.
    const QRect plot = chart_->plotRect();
    const int left = std::clamp(chart_->x() + plot.left() - x(), 1, std::max(1, width() - 2));
    const int w = plot.width() > 0 ? std::min(plot.width(), width() - 1 - left) : width() - 2;
    return QRect(left, 1, std::max(0, w), std::max(0, height() - 2));
}

kvr::OverviewMap TrendOverviewStrip::map() const { return {chart_->store().count(), stripRect().width()}; }

kvr::OverviewWindow TrendOverviewStrip::window() const {
    const kvr::RecordSpan span = chart_->visibleRecords();
    return kvr::overviewWindow(map(), span.first, span.last);
}

TrendOverviewStrip::Drawn TrendOverviewStrip::currentState() const {
    Drawn d;
    const kvr::TrendStore& store = chart_->store();
    d.records = store.count();
    if (!store.empty()) {
        d.firstTime = store.at(0).time;
        d.lastTime = store.back().time;
    }
    d.visible = static_cast<uint32_t>(overviewChannel());
    for (int n = 1; n <= kvr::kTrendChannels; ++n) {
        kvr::TChSettings& ch = chart_->channel(n);
        d.colours = d.colours * 1000003u + ch.Color() + static_cast<uint64_t>(ch.digitSpan()) * 7u;
    }
    d.size = stripRect().size();
    for (const kvr::TrendMarker& m : chart_->markers())
        d.markers = d.markers * 1000003u + static_cast<uint64_t>(m.record) + 1;
    return d;
}

const QImage& TrendOverviewStrip::envelopeImage() {
    const Drawn now = currentState();
    if (!(now == drawn_)) {
        drawn_ = now;
        drawEnvelope();
    }
    return image_;
}

int TrendOverviewStrip::overviewChannel() const {
    const int left = chart_->LeftScaleCh();
    if (left > 0 && chart_->channel(left).Visible() && chart_->channel(left).digitSpan() != 0) return left;
    for (int n = 1; n <= kvr::kTrendChannels; ++n)
        if (chart_->channel(n).Visible() && chart_->channel(n).digitSpan() != 0) return n;
    return 0;
}

// Each column from its lowest to its highest value, scaled to the channel's
// range as the chart's own scale is at no zoom; a column joins the one
// before it so that a steady trace reads as a line and not as dots.
void TrendOverviewStrip::drawEnvelope() {
    const QSize size = drawn_.size;
    if (size.isEmpty()) {
        image_ = QImage();
        return;
    }
    image_ = QImage(size, QImage::Format_RGB32);
    image_.fill(chart_->ColorPlot());
    const kvr::TrendStore& store = chart_->store();
    envelope_.sync(store);
    const std::vector<kvr::OverviewColumn> columns = envelope_.columns(store, size.width());
    QPainter p(&image_);
    const int span = size.height() - 1;
    p.setPen(chart_->ColorSeparator());
    for (int c = 0; c < size.width(); ++c)
        if (columns[static_cast<std::size_t>(c)].separator) p.drawLine(c, 0, c, span);
    QVector<QLine> lines;
    lines.reserve(size.width());
    const int n = overviewChannel();
    if (n > 0) {
        kvr::TChSettings& ch = chart_->channel(n);
        const double perDigit = static_cast<double>(span) / ch.digitSpan();
        auto row = [&](uint16_t digit) {
            return span - static_cast<int>(std::clamp(std::lround(digit * perDigit), 0L, static_cast<long>(span)));
        };
        const std::size_t k = static_cast<std::size_t>(n - 1);
        lines.clear();
        int prevTop = -1, prevBottom = -1;
        for (int c = 0; c < size.width(); ++c) {
            const kvr::OverviewColumn& col = columns[static_cast<std::size_t>(c)];
            if (!col.samples) {
                prevTop = -1;
                continue;
            }
            int top = row(col.high[k]);
            int bottom = row(col.low[k]);
            if (prevTop >= 0) {
                top = std::min(top, prevBottom);
                bottom = std::max(bottom, prevTop);
            }
            const int ownTop = row(col.high[k]), ownBottom = row(col.low[k]);
            lines.append(QLine(c, top, c, bottom));
            prevTop = ownTop;
            prevBottom = ownBottom;
        }
        p.setPen(rgbColour(ch.Color()));
        p.drawLines(lines);
    }
    drawMarkers(p, kvr::OverviewMap{store.count(), size.width()});
}

void TrendOverviewStrip::drawMarkers(QPainter& p, const kvr::OverviewMap& map) {
    for (const kvr::TrendMarker& m : chart_->markers()) {
        const int c = map.columnOf(m.record);
        p.setPen(m.kind == kvr::TrendMarkerKind::Gap ? chart_->ColorGapMarker() : chart_->ColorMarker());
        p.drawLine(c, 0, c, std::min(5, image_.height() - 1));
    }
}

void TrendOverviewStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    const QRect strip = stripRect();
    const QImage& image = envelopeImage();
    if (!image.isNull()) p.drawImage(strip.topLeft(), image);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(strip.adjusted(-1, -1, 0, 0));
    const kvr::OverviewWindow w = window();
    if (w.empty() || strip.isEmpty()) return;
    const QRect box(strip.left() + w.left, strip.top(), w.width(), strip.height());
    QColor fill = colorWindow_;
    fill.setAlpha(48);
    p.fillRect(box, fill);
    p.setPen(colorWindow_);
    p.drawRect(box.adjusted(0, 0, -1, -1));
}

int TrendOverviewStrip::columnAt(int x) const { return x - stripRect().left(); }

void TrendOverviewStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || chart_->store().empty()) return QWidget::mousePressEvent(event);
    const int column = columnAt(static_cast<int>(event->position().x()));
    grip_ = kvr::overviewGripAt(window(), column, kEdgeSlop);
    if (grip_ == kvr::OverviewGrip::jump) {
        // The view centres on the record clicked, and a drag goes on from there.
        chart_->showRecord(static_cast<int>(map().recordAt(column)));
        grip_ = kvr::OverviewGrip::move;
    }
    const kvr::RecordSpan span = chart_->visibleRecords();
    dragging_ = true;
    pressColumn_ = column;
    pressFirst_ = span.first;
    pressLast_ = span.last;
    showGripCursor(column);
}

void TrendOverviewStrip::mouseMoveEvent(QMouseEvent* event) {
    const int column = columnAt(static_cast<int>(event->position().x()));
    if (dragging_) {
        dragTo(column);
    } else {
        showGripCursor(column);
    }
}

void TrendOverviewStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
    showGripCursor(columnAt(static_cast<int>(event->position().x())));
}

void TrendOverviewStrip::dragTo(int column) {
    const kvr::OverviewMap m = map();
    if (m.empty()) return;
    switch (grip_) {
        case kvr::OverviewGrip::jump:
        case kvr::OverviewGrip::move: {
            // The window keeps its place under the pointer: the view moves by
            // the records the columns dragged over hold.
            const int64_t delta = (int64_t{column} - pressColumn_) * m.records / m.width;
            chart_->showFrom(pressFirst_ + delta);
            break;
        }
        case kvr::OverviewGrip::leftEdge:
            chart_->showSpan(std::min(m.recordAt(column), pressLast_), pressLast_, true);
            break;
        case kvr::OverviewGrip::rightEdge:
            chart_->showSpan(pressFirst_, std::max(m.recordAt(column), pressFirst_), false);
            break;
    }
}

void TrendOverviewStrip::showGripCursor(int column) {
    if (chart_->store().empty()) {
        unsetCursor();
        return;
    }
    switch (kvr::overviewGripAt(window(), column, kEdgeSlop)) {
        case kvr::OverviewGrip::leftEdge:
        case kvr::OverviewGrip::rightEdge: setCursor(Qt::SizeHorCursor); break;
        case kvr::OverviewGrip::move: setCursor(dragging_ ? Qt::ClosedHandCursor : Qt::OpenHandCursor); break;
        case kvr::OverviewGrip::jump: setCursor(Qt::PointingHandCursor); break;
    }
}
