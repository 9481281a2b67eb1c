#include "dashboard/ui/stale_overlay.h"

#include <QEvent>
#include <QPainter>

StaleOverlay::StaleOverlay(QWidget* page) : QWidget(page) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName("Gauges data state");
    setGeometry(page->rect());
    page->installEventFilter(this);
    hide();
}

void StaleOverlay::setMark(const QString& mark, const QString& reason) {
    if (mark == mark_ && reason == reason_) return;
    mark_ = mark;
    reason_ = reason;
    setAccessibleDescription(mark.isEmpty() ? QString() : mark + ": " + reason);
    setVisible(!mark.isEmpty());
    if (!mark.isEmpty()) {
        raise();
        update();
    }
}

bool StaleOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    if (watched == parentWidget() && event->type() == QEvent::ChildAdded && isVisible()) raise();
    return QWidget::eventFilter(watched, event);
}

void StaleOverlay::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(200, 200, 200, 170));
    // The mark sits in a band across the middle, large enough to read from a
    // driver's seat, sized to the page.
    const int markPx = std::max(24, height() / 9);
    QFont big = font();
    big.setPixelSize(markPx);
    big.setBold(true);
    QFont small = font();
    small.setPixelSize(std::max(12, markPx / 3));
    const int bandHeight = markPx * 2 + small.pixelSize() * 3;
    const QRect band(0, (height() - bandHeight) / 2, width(), bandHeight);
    p.fillRect(band, QColor(40, 40, 40, 210));
    p.setPen(mark_ == "PAUSED" ? QColor(255, 210, 80) : QColor(255, 90, 70));
    p.setFont(big);
    p.drawText(band.adjusted(8, 4, -8, -small.pixelSize() * 3), Qt::AlignCenter, mark_);
    p.setPen(Qt::white);
    p.setFont(small);
    p.drawText(band.adjusted(12, band.height() - small.pixelSize() * 3, -12, -4),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, reason_);
}
