#include "widgets/ab_trend.h"

#include <QDateTime>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cstring>
#include <numeric>

#include "widgets/model/trend_geometry.h"
#include "widgets/model/trend_time.h"
#include "widgets/recording_clock.h"

namespace {

constexpr int kBevel = 2;       // the outer bevel's width
constexpr int kScaleGap = 4;    // between a scale's texts and the plot
constexpr int kSideMargin = 4;  // beside the plot where a scale is off

QColor fromRgb(uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

QPainter::CompositionMode compositionOf(TPenMode mode) {
    switch (mode) {
        case TPenMode::pmCopy:
            return QPainter::CompositionMode_Source;
        case TPenMode::pmNot:
            return QPainter::RasterOp_NotDestination;
        case TPenMode::pmXor:
            return QPainter::RasterOp_SourceXorDestination;
        case TPenMode::pmNotXor:
            return QPainter::RasterOp_NotSourceXorDestination;
        case TPenMode::pmMask:
            return QPainter::RasterOp_SourceAndDestination;
        case TPenMode::pmNotMask:
            return QPainter::RasterOp_NotSourceOrNotDestination;
        case TPenMode::pmMerge:
            return QPainter::RasterOp_SourceOrDestination;
    }
    return QPainter::CompositionMode_Source;
}

// What a drawing pass changed on the off-screen plot.
enum class Drawn { nothing, newColumns, everything };

}  // namespace

TAbTrend::TAbTrend(QWidget* parent, kvr::TrendRecorder::Clock clock)
    : QWidget(parent), recorder_(std::move(clock)), captionFont_(QStringLiteral("Arial"), 14) {
    captionFont_.setUnderline(true);
    colorGrid_ = palette().color(QPalette::Dark);
    colorSeparator_ = palette().color(QPalette::Light);
    colorTime_ = palette().color(QPalette::Light);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);

    recorder_.onRecNoChanged = [this] { emit recNoChanged(); };
    recorder_.onMaxRecords = [this] { emit maxRecords(); };
    recorder_.onRepaint = [this] { fullRepaint(); };
    recorder_.onClockRegistration = [this](bool on, int ms) { registerWithClock(on, ms); };
    if (recorder_.StartRecording()) registerWithClock(true, recorder_.Interval());
    layoutPlot();
}

TAbTrend::~TAbTrend() {
    recorder_.onRecNoChanged = nullptr;
    recorder_.onMaxRecords = nullptr;
    recorder_.onRepaint = nullptr;
    recorder_.onClockRegistration = nullptr;
    registerWithClock(false, 0);
}

void TAbTrend::registerWithClock(bool on, int intervalMs) {
    if (on) {
        TAbFlashTimer::instance().registerClient(this, intervalMs, [this](uint32_t) { onClockTick(); });
        registered_ = true;
    } else if (registered_) {
        // At shutdown the clock may be gone already; do not make a new one.
        if (TAbFlashTimer* clock = TAbFlashTimer::existing()) clock->unregisterClient(this);
        registered_ = false;
    }
}

void TAbTrend::onClockTick() {
    if (!recorder_.StartRecording()) return;
    AddRecord();
    emit interval();
}

void TAbTrend::AddRecord() {
    recorder_.AddRecord([this] {
        switch (static_cast<Drawn>(drawPlan())) {
            case Drawn::nothing:
                break;
            case Drawn::everything:
                update();
                break;
            case Drawn::newColumns: {
                // The new columns and the time labels under them.
                QRect dirty = plotRect_;
                dirty.setBottom(height() - kBevel - 1);
                update(dirty);
                break;
            }
        }
    });
}

void TAbTrend::fullRepaint() {
    layoutPlot();
    recorder_.invalidateView();
    drawPlan();
    update();
}

int TAbTrend::scaleWidth(int channel) const {
    const QFontMetrics fm(font());
    const kvr::ScaleText text = kvr::scaleText(channel > 0 ? &recorder_.channel(channel) : nullptr,
                                               recorder_.GridYSteps(), recorder_.zoom());
    // A width that fits usual labels keeps the plot steady when zooming.
    int widest = fm.horizontalAdvance(QStringLiteral("-0000.0"));
    for (const std::string& label : text.labels)
        widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(label)));
    widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(text.unit)));
    widest = std::max(widest, fm.horizontalAdvance(QStringLiteral(" Ch8 ")));
    return widest + 2 * kScaleGap;
}

void TAbTrend::layoutPlot() {
    const QFontMetrics fm(font());
    const int th = fm.height();
    const bool left = recorder_.hasOption(kvr::opLeftScale);
    const bool right = recorder_.hasOption(kvr::opRightScale);
    const int labelRows =
        (recorder_.hasOption(kvr::opTime) ? 1 : 0) + (recorder_.hasOption(kvr::opDate) ? 1 : 0);

    if (recorder_.hasOption(kvr::opCaption)) {
        headerHeight_ = QFontMetrics(captionFont_).height();
    } else {
        headerHeight_ = (left || right) ? th : 0;
    }
    // Scale labels are centred on the grid lines, so half a text row sticks
    // out above the top line and below the bottom one; the " ChN " header
    // sits under the bottom label.
    const int above = kBevel + headerHeight_ + th / 2 + 1;
    const int below = kBevel + std::max(labelRows * th + 2, (left || right) ? th / 2 + th + 1 : 2);
    const int leftWidth = left ? scaleWidth(recorder_.LeftScaleCh()) : kSideMargin;
    const int rightWidth = right ? scaleWidth(recorder_.AbsScaleCh()) : kSideMargin;

    // One pixel all round for the inner bevel.
    const int plotLeft = kBevel + leftWidth + 1;
    const int plotTop = above + 1;
    const int plotWidth = std::max(0, width() - plotLeft - rightWidth - kBevel - 1);
    const int plotHeight = std::max(0, height() - plotTop - below - 1);
    plotRect_ = QRect(plotLeft, plotTop, plotWidth, plotHeight);
    leftScaleRect_ = QRect(kBevel, kBevel + headerHeight_, leftWidth, height() - 2 * kBevel - headerHeight_);
    rightScaleRect_ =
        QRect(plotLeft + plotWidth + 1, kBevel + headerHeight_, rightWidth, leftScaleRect_.height());

    if (plot_.size() != plotRect_.size()) {
        plot_ = plotRect_.isEmpty() ? QImage() : QImage(plotRect_.size(), QImage::Format_RGB32);
    }
    recorder_.setPlotSize(plotWidth, plotHeight);
}

int TAbTrend::drawPlan() {
    const kvr::TrendDrawPlan plan = recorder_.nextDraw();
    if (plot_.isNull()) return static_cast<int>(Drawn::nothing);
    if (plan.scroll > 0) scrollPlot(plan.scroll);
    if (plan.background) drawBackground(plot_.width() - (plan.scroll > 0 ? plan.scroll : plot_.width()));
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
    const int first = recorder_.firstShown();
    const int span = recorder_.plotSpan();

    p.setPen(colorSeparator_);
    for (int i = from; i <= to; ++i) {
        if (store.at(i).isSeparator()) p.drawLine(i - first, 0, i - first, span);
    }

    const int fill = recorder_.FillChannelNo();
    if (fill > 0 && recorder_.channel(fill).Visible()) {
        p.setPen(fromRgb(recorder_.channel(fill).Color()));
        for (int i = from; i <= to; ++i) {
            p.drawLine(i - first, recorder_.channelRow(fill, store.at(i).digits[fill - 1]), i - first, span);
        }
    }

    // Each new point joins the one before it, which may lie just left of
    // the plot after a page turn.
    const int start = std::max(from - 1, 0);
    QPolygon line;
    line.reserve(to - start + 1);
    for (int n = 1; n <= kvr::kTrendChannels; ++n) {
        const kvr::TChSettings& ch = recorder_.channel(n);
        if (!ch.Visible()) continue;
        line.clear();
        for (int i = start; i <= to; ++i)
            line << QPoint(i - first, recorder_.channelRow(n, store.at(i).digits[n - 1]));
        p.setPen(QPen(fromRgb(ch.Color()), ch.PenWidth()));
        if (line.size() == 1) {
            p.drawPoint(line.front());
        } else {
            p.drawPolyline(line);
        }
    }
}

void TAbTrend::Clear() {
    recorder_.Clear();
    update();
}

int TAbTrend::SaveToFile(const QString& fileName) const {
    return recorder_.SaveToFile(QFile::encodeName(fileName).toStdString());
}

int TAbTrend::LoadFromFile(const QString& fileName, bool clearFirst) {
    return recorder_.LoadFromFile(QFile::encodeName(fileName).toStdString(), clearFirst, isVisible());
}

void TAbTrend::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    trackMouse(event->position().toPoint());
}

void TAbTrend::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    // Leaving the widget is leaving the plot: the cursor line goes.
    trackMouse(QPoint(-1, -1));
}

void TAbTrend::trackMouse(const QPoint& pos) {
    const bool wasShown = recorder_.cursorShown();
    const int oldColumn = recorder_.cursorColumn();
    const bool inside = pos.x() >= plotRect_.left() && pos.x() <= plotRect_.right() &&
                        pos.y() >= plotRect_.top() && pos.y() <= plotRect_.bottom();
    if (!recorder_.trackCursor(pos.x() - plotRect_.left(), inside)) return;
    if (wasShown) updateCursorColumn(oldColumn);
    if (recorder_.cursorShown()) updateCursorColumn(recorder_.cursorColumn());
    emit newCursorPos();
}

void TAbTrend::updateCursorColumn(int column) {
    update(QRect(plotRect_.left() + column, plotRect_.top(), 1, plotRect_.height()));
}

void TAbTrend::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fullRepaint();
}

void TAbTrend::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) fullRepaint();
}

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

void TAbTrend::paintTimeLabels(QPainter& p) {
    const bool time = recorder_.hasOption(kvr::opTime);
    const bool date = recorder_.hasOption(kvr::opDate);
    if (!time && !date) return;
    const QFontMetrics fm(font());
    const int th = fm.height();
    const kvr::TrendStore& store = recorder_.store();
    const int first = recorder_.firstShown();
    const int step = recorder_.GridXPixel();
    p.setPen(colorTime_);
    for (int x = step; x < plotRect_.width(); x += step) {
        const int index = first + x;
        if (index >= store.count()) break;
        const double stamp = store.at(index).time;
        const int centre = plotRect_.left() + x;
        const int half = step / 2;
        int y = plotRect_.bottom() + 3;
        if (time) {
            p.drawText(QRect(centre - half, y, 2 * half, th), Qt::AlignCenter, timeLabel(stamp));
            y += th;
        }
        if (date)
            p.drawText(QRect(centre - half, y, 2 * half, th), Qt::AlignCenter,
                       QString::fromStdString(kvr::dateText(stamp)));
    }
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

    // Raised outer bevel.
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(outer.topLeft(), outer.topRight());
    p.drawLine(outer.topLeft(), outer.bottomLeft());
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(outer.bottomLeft(), outer.bottomRight());
    p.drawLine(outer.topRight(), outer.bottomRight());

    if (recorder_.hasOption(kvr::opCaption)) {
        p.setFont(captionFont_);
        p.setPen(pal.color(QPalette::WindowText));
        p.drawText(QRect(plotRect_.left(), kBevel, plotRect_.width(), headerHeight_), Qt::AlignCenter,
                   caption_);
        p.setFont(font());
    }
    if (recorder_.hasOption(kvr::opLeftScale)) paintScale(p, recorder_.LeftScaleCh(), leftScaleRect_);
    if (recorder_.hasOption(kvr::opRightScale)) paintScale(p, recorder_.AbsScaleCh(), rightScaleRect_);

    // Lowered inner bevel round the plot.
    const QRect inner = plotRect_.adjusted(-1, -1, 0, 0);
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(inner.topLeft(), inner.topRight());
    p.drawLine(inner.topLeft(), inner.bottomLeft());
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(inner.bottomLeft(), inner.bottomRight());
    p.drawLine(inner.topRight(), inner.bottomRight());

    if (!plot_.isNull()) p.drawImage(plotRect_.topLeft(), plot_);
    paintTimeLabels(p);
    paintCursorLine(p);
}

void TAbTrend::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TAbTrend::setCaptionFont(const QFont& font) {
    captionFont_ = font;
    fullRepaint();
}

void TAbTrend::setColorCursorLine(const QColor& c) {
    colorCursorLine_ = c;
    update();
}

void TAbTrend::setCursorLinePenMode(TPenMode mode) {
    cursorLinePenMode_ = mode;
    update();
}

void TAbTrend::setColorGrid(const QColor& c) {
    colorGrid_ = c;
    fullRepaint();
}

void TAbTrend::setColorSeparator(const QColor& c) {
    colorSeparator_ = c;
    fullRepaint();
}

void TAbTrend::setColorTime(const QColor& c) {
    colorTime_ = c;
    update();
}

void TAbTrend::setColorPlot(const QColor& c) {
    colorPlot_ = c;
    fullRepaint();
}

void TAbTrend::setTimeFormat(const QString& format) {
    timeFormat_ = format;
    update();
}
