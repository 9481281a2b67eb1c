// The trend chart's mouse, wheel and keys: the cursor read-out, the
// reference cursor, moving and zooming the time axis, and a double-click on
// a marker's label.
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
        // A marker's label is there to be double-clicked: a click on it
        // leaves the reference where it is.
        if (markerAt(pos) >= 0) return;
        setReferenceAt(pos.x() - plotRect_.left());
    } else if (event->button() == Qt::RightButton) {
        clearReference();
    }
}

void TAbTrend::mouseDoubleClickEvent(QMouseEvent* event) {
    const int marker = event->button() == Qt::LeftButton ? markerAt(event->position().toPoint()) : -1;
    if (marker < 0) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    emit markerLabelDoubleClicked(marker);
}

void TAbTrend::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        // A sideways wheel, or the wheel with Shift, moves the view a grid
        // column a notch: left (or away) goes back in time. The plain wheel
        // is left to the window.
        const QPoint delta = event->angleDelta();
        const int along = delta.x() != 0 ? delta.x() : (event->modifiers() & Qt::ShiftModifier) ? delta.y() : 0;
        if (along == 0) {
            QWidget::wheelEvent(event);
            return;
        }
        event->accept();
        wheelMoveSteps_ += along;
        const int notches = wheelMoveSteps_ / kWheelStep;
        if (notches == 0) return;
        wheelMoveSteps_ -= notches * kWheelStep;
        moveByColumns(-notches * recorder_.GridXPixel());
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
        case Qt::Key_F:
            if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
                QWidget::keyPressEvent(event);
                return;
            }
            fitWholeLog();
            break;
        case Qt::Key_S:
            if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
                QWidget::keyPressEvent(event);
                return;
            }
            setStacked(!Stacked());
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
            const int marker = markerAt(help->pos());
            if (!toolTip().isEmpty() && caption.contains(help->pos())) {
                QToolTip::showText(help->globalPos(), toolTip(), this, caption);
            } else if (marker >= 0) {
                // A label covers its own bit of the plot only; it may be cut short.
                const std::string& label = markers_[static_cast<size_t>(marker)].label;
                QToolTip::showText(help->globalPos(),
                                   QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size())) +
                                       QStringLiteral("\n(double-click to rename)"),
                                   this);
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
