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

namespace {

constexpr int kBevel = 2;       // the outer bevel's width
constexpr int kScaleGap = 4;    // between a scale's texts and the plot
constexpr int kSideMargin = 4;  // beside the plot where a scale is off
constexpr int kMoveColumns = 100;  // one Left/Right key, as one "<<" or ">>" at one record per column
constexpr int kWheelStep = 120;    // eighths of a degree: one notch of a usual wheel
constexpr int kSeparatorTick = 4;  // rows of a separator's marks at the plot's edges

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
    setFocusPolicy(Qt::StrongFocus);

    recorder_.onRecNoChanged = [this] { emit recNoChanged(); };
    recorder_.onMaxRecords = [this] { emit maxRecords(); };
    recorder_.onRepaint = [this] { fullRepaint(); };
    recorder_.onClockRegistration = [this](bool on, int ms) { registerWithClock(on, ms); };
    recorder_.onFollowChanged = [this] { emit followingChanged(recorder_.Flow()); };
    recorder_.onReferenceChanged = [this] {
        update();
        emit referenceChanged();
    };
    if (recorder_.StartRecording()) registerWithClock(true, recorder_.Interval());
    layoutPlot();
}

TAbTrend::~TAbTrend() {
    recorder_.onRecNoChanged = nullptr;
    recorder_.onMaxRecords = nullptr;
    recorder_.onRepaint = nullptr;
    recorder_.onClockRegistration = nullptr;
    recorder_.onFollowChanged = nullptr;
    recorder_.onReferenceChanged = nullptr;
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
    recorder_.AddRecord([this] { presentNewRecords(); });
}

void TAbTrend::presentNewRecords() {
    switch (static_cast<Drawn>(drawPlan())) {
        case Drawn::nothing:
            break;
        case Drawn::everything:
            update();
            break;
        case Drawn::newColumns: {
            // The new columns and the time labels under them.
            QRect dirty = plotRect_;
            dirty.setBottom(height() - kBevel - footerHeight_ - 1);
            update(dirty);
            break;
        }
    }
}

void TAbTrend::viewStore(const kvr::TrendStore& store) {
    recorder_.viewStore(store);
    update();
}

void TAbTrend::storeChanged(kvr::StoreChange change) {
    if (change == kvr::StoreChange::Appended) {
        recorder_.storeChanged(change, [this] { presentNewRecords(); });
        emit interval();
        return;
    }
    recorder_.storeChanged(change);
    update();
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
    footerHeight_ = footer_ ? QFontMetrics(footer_->font()).height() + 4 : 0;
    const int below =
        kBevel + footerHeight_ + std::max(labelRows * th + 2, (left || right) ? th / 2 + th + 1 : 2);
    const int leftWidth = left ? scaleWidth(recorder_.LeftScaleCh()) : kSideMargin;
    const int rightWidth = right ? scaleWidth(recorder_.AbsScaleCh()) : kSideMargin;

    // One pixel all round for the inner bevel.
    const int plotLeft = kBevel + leftWidth + 1;
    const int plotTop = above + 1;
    const int plotWidth = std::max(0, width() - plotLeft - rightWidth - kBevel - 1);
    const int plotHeight = std::max(0, height() - plotTop - below - 1);
    plotRect_ = QRect(plotLeft, plotTop, plotWidth, plotHeight);
    leftScaleRect_ =
        QRect(kBevel, kBevel + headerHeight_, leftWidth, height() - 2 * kBevel - headerHeight_ - footerHeight_);
    rightScaleRect_ =
        QRect(plotLeft + plotWidth + 1, kBevel + headerHeight_, rightWidth, leftScaleRect_.height());

    if (plot_.size() != plotRect_.size()) {
        plot_ = plotRect_.isEmpty() ? QImage() : QImage(plotRect_.size(), QImage::Format_RGB32);
    }
    recorder_.setPlotSize(plotWidth, plotHeight);
    placeChildren();
}

void TAbTrend::placeChildren() {
    // The header's controls use the band from the top bevel down to the
    // plot, beside the caption and inside the plot's width, where the
    // scales draw nothing.
    const int bandTop = kBevel;
    const int bandHeight = std::max(0, plotRect_.top() - 2 - kBevel);
    auto place = [&](QWidget* w, bool atLeft) {
        if (!w) return;
        const QSize hint = w->sizeHint();
        const int h = std::min(hint.height(), bandHeight);
        const int x = atLeft ? plotRect_.left() : plotRect_.left() + plotRect_.width() - hint.width();
        w->setGeometry(x, bandTop + (bandHeight - h) / 2, hint.width(), h);
    };
    place(headerLeft_, true);
    place(headerRight_, false);
    if (footer_) {
        footer_->setGeometry(kBevel + kScaleGap, height() - kBevel - footerHeight_, width() - 2 * (kBevel + kScaleGap),
                             footerHeight_);
    }
}

void TAbTrend::setHeaderWidgets(QWidget* left, QWidget* right) {
    for (QWidget* w : {left, right}) {
        if (w && w->parentWidget() != this) w->setParent(this);
        if (w) w->show();
    }
    headerLeft_ = left;
    headerRight_ = right;
    placeChildren();
}

void TAbTrend::setFooterWidget(QWidget* footer) {
    if (footer && footer->parentWidget() != this) footer->setParent(this);
    if (footer) footer->show();
    footer_ = footer;
    fullRepaint();
}

QRect TAbTrend::captionRect() const {
    if (!recorder_.hasOption(kvr::opCaption)) return QRect();
    const int w = QFontMetrics(captionFont_).horizontalAdvance(caption_);
    return QRect(plotRect_.left() + (plotRect_.width() - w) / 2, kBevel, w, headerHeight_);
}

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
        for (const kvr::ColumnTrace& t : traces) {
            const int top = recorder_.channelRow(fill, t.high[fill - 1]);
            if (top <= span) p.fillRect(QRect(columnOf(t), top, recordWidth, span - top + 1), colour);
        }
    }

    // Each column's line runs from its first value down to its lowest, up
    // to its highest and on to its last, which covers every value in it;
    // with one record per column that is just the record's point. The
    // first point joins the record before `from`, which may lie just left
    // of the plot after a page turn.
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
    lastMouse_ = event->position().toPoint();
    trackMouse(lastMouse_);
}

void TAbTrend::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    // Leaving the widget is leaving the plot: the cursor line goes.
    lastMouse_ = QPoint(-1, -1);
    trackMouse(lastMouse_);
}

void TAbTrend::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    const QPoint pos = event->position().toPoint();
    if (!plotRect_.contains(pos)) return;
    if (event->button() == Qt::LeftButton) {
        setReferenceAt(pos.x() - plotRect_.left());
    } else if (event->button() == Qt::RightButton) {
        clearReference();
    }
}

void TAbTrend::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QWidget::wheelEvent(event);
        return;
    }
    event->accept();
    // Fine-grained wheels and touch pads send small steps; they add up.
    wheelSteps_ += event->angleDelta().y();
    const int steps = wheelSteps_ / kWheelStep;
    if (steps == 0) return;
    wheelSteps_ -= steps * kWheelStep;
    lastMouse_ = event->position().toPoint();
    // Turning the wheel away zooms in, round the column under the pointer.
    zoomTimeAt(-steps, lastMouse_.x() - plotRect_.left());
}

void TAbTrend::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
            moveByColumns(-kMoveColumns);
            break;
        case Qt::Key_Right:
            moveByColumns(kMoveColumns);
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:  // "+" without Shift on many layouts
            zoomTimeIn();
            break;
        case Qt::Key_Minus:
            zoomTimeOut();
            break;
        case Qt::Key_Home:
            showOldest();
            break;
        case Qt::Key_End:
            followNewest();
            break;
        case Qt::Key_Escape:
            if (!recorder_.hasReference()) {
                QWidget::keyPressEvent(event);
                return;
            }
            clearReference();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void TAbTrend::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void TAbTrend::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

bool TAbTrend::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::ToolTip: {
            // The hint belongs to the caption: over the plot it would hide
            // the very values the pointer is reading.
            const auto* help = static_cast<QHelpEvent*>(event);
            const QRect caption = captionRect();
            if (!toolTip().isEmpty() && caption.contains(help->pos())) {
                QToolTip::showText(help->globalPos(), toolTip(), this, caption);
            } else {
                QToolTip::hideText();
                event->ignore();
            }
            return true;
        }
        case QEvent::LayoutRequest:
            // A header control's size hint changed (a longer text).
            placeChildren();
            return QWidget::event(event);
        default:
            return QWidget::event(event);
    }
}

void TAbTrend::moveByColumns(int columns) {
    const int64_t records = recorder_.timeScale().recordsAcross(std::abs(int64_t{columns}));
    const int count = static_cast<int>(std::min<int64_t>(records, INT_MAX));
    recorder_.MoveX(columns < 0 ? -count : count, isVisible());
    retrackMouse();
}

void TAbTrend::showOldest() {
    recorder_.MoveX(-recorder_.firstShown(), isVisible());
    retrackMouse();
}

void TAbTrend::followNewest() {
    recorder_.followNewest();
    retrackMouse();
}

void TAbTrend::zoomTimeIn() {
    zoomTimeAt(-1, recorder_.cursorShown() ? recorder_.cursorColumn() : plotRect_.width() / 2);
}

void TAbTrend::zoomTimeOut() {
    zoomTimeAt(1, recorder_.cursorShown() ? recorder_.cursorColumn() : plotRect_.width() / 2);
}

void TAbTrend::zoomTimeAt(int steps, int column) {
    if (!recorder_.setTimeZoomLevel(recorder_.timeZoomLevel() + steps, column)) return;
    emit timeScaleChanged();
    retrackMouse();
}

bool TAbTrend::setReferenceAt(int column) { return recorder_.setReference(column); }

void TAbTrend::clearReference() { recorder_.clearReference(); }

void TAbTrend::setColorReferenceLine(const QColor& c) {
    colorReferenceLine_ = c;
    update();
}

void TAbTrend::retrackMouse() {
    // The view moved under a still pointer: the cursor reads the record
    // that now lies there (a move to the same column counts again).
    if (!plotRect_.contains(lastMouse_)) return;
    recorder_.forgetCursorColumn();
    trackMouse(lastMouse_);
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
    for (int x = step; x < plotRect_.width(); x += step) {
        const int64_t index = first + scale.recordAt(x);
        if (index >= store.count()) break;
        const double stamp = store.at(static_cast<int>(index)).time;
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
    paintReferenceLine(p);
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
