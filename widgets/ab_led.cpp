#include "widgets/ab_led.h"

#include <QPainter>
#include <QPalette>

TAbLED::TAbLED(QWidget* parent, int lampSize, QColor colorOn)
    : QWidget(parent), lampSize_(lampSize), colorOn_(colorOn) {
    setFixedSize(lampSize_ + 2, lampSize_ + 2);
}

void TAbLED::setLampSize(int size) {
    if (size == lampSize_ || size <= 0) return;
    lampSize_ = size;
    setFixedSize(lampSize_ + 2, lampSize_ + 2);
    update();
}

void TAbLED::setStatusInt(int value) {
    statusInt_ = value;
    setChecked(((static_cast<unsigned>(statusInt_) >> statusBit_) & 1u) != 0);
}

void TAbLED::setStatusBit(int bit) {
    if (bit < 0 || bit > 31 || bit == statusBit_) return;
    statusBit_ = bit;
    const bool lit = ((static_cast<unsigned>(statusInt_) >> statusBit_) & 1u) != 0;
    if (lit == checked_) return;
    checked_ = lit;
    update();
    emit changed(checked_);
}

void TAbLED::setChecked(bool on) {
    // Indicator mode: the lamp's own bit in the status word follows it.
    const unsigned mask = 1u << statusBit_;
    statusInt_ = static_cast<int>(on ? (static_cast<unsigned>(statusInt_) | mask)
                                     : (static_cast<unsigned>(statusInt_) & ~mask));
    if (on == checked_) return;
    checked_ = on;
    update();
    emit changed(checked_);
}

void TAbLED::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor off = palette().color(QPalette::Button);
    const QColor face = checked_ ? colorOn_ : off;
    QRadialGradient glow(QPointF(width() * 0.35, height() * 0.35), lampSize_ * 0.7);
    glow.setColorAt(0, face.lighter(checked_ ? 160 : 115));
    glow.setColorAt(1, face.darker(checked_ ? 110 : 125));
    p.setBrush(glow);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.drawEllipse(QRectF(1, 1, lampSize_, lampSize_));
}
