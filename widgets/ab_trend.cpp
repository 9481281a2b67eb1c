#include "widgets/ab_trend.h"

#include "widgets/ab_trend_parts.h"

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

using namespace ab_trend;

namespace ab_trend {

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

}  // namespace ab_trend

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
    emit viewChanged();
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
    emit viewChanged();
}

void TAbTrend::fullRepaint() {
    layoutPlot();
    recorder_.invalidateView();
    drawPlan();
    update();
    emit viewChanged();
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

void TAbTrend::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fullRepaint();
}

void TAbTrend::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        measureMarkerLabels();
        fullRepaint();
    }
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
