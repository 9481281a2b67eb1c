#include "widgets/gauge.h"

#include <QPainter>
#include <algorithm>

TGauge::TGauge(QWidget* parent) : QWidget(parent) {}

int TGauge::percent() const {
    if (max_ <= min_) return 0;
    return static_cast<int>(static_cast<long long>(progress_ - min_) * 100 / (max_ - min_));
}

void TGauge::setMinValue(int v) {
    min_ = v;
    setProgress(progress_);
    update();
}

void TGauge::setMaxValue(int v) {
    max_ = v;
    setProgress(progress_);
    update();
}

void TGauge::setProgress(int v) {
    const int before = percent();
    progress_ = max_ >= min_ ? std::clamp(v, min_, max_) : min_;
    if (percent() != before) update();
}

void TGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    p.fillRect(frame, Qt::white);
    QRect bar = frame.adjusted(1, 1, 0, 0);
    bar.setWidth(bar.width() * percent() / 100);
    p.fillRect(bar, Qt::black);
    p.setPen(Qt::gray);
    p.drawRect(frame);
    // The text reads in both halves: white over the bar, black beside it.
    const QString text = QString::number(percent()) + "%";
    QFont f = font();
    f.setPixelSize(std::max(8, height() - 3));
    p.setFont(f);
    p.setClipRect(bar);
    p.setPen(Qt::white);
    p.drawText(frame, Qt::AlignCenter, text);
    p.setClipRect(frame.adjusted(bar.width() + 1, 0, 0, 0));
    p.setPen(Qt::black);
    p.drawText(frame, Qt::AlignCenter, text);
}
