#include "widgets/ab270_meter.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "widgets/recording_clock.h"

namespace {

QColor rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

double nowAsDays() {
    const qint64 ms = QDateTime::currentDateTime().toMSecsSinceEpoch() +
                      QDateTime::currentDateTime().offsetFromUtc() * 1000LL;
    return ms / 86400000.0 + 25569.0;  // days since 1899-12-30
}

QPointF polar(QPointF centre, double radius, double degrees) {
    const double r = degrees * M_PI / 180.0;
    return {centre.x() + radius * std::cos(r), centre.y() - radius * std::sin(r)};
}

}  // namespace

TAb270Meter::TAb270Meter(QWidget* parent) : QWidget(parent) { resize(252, 252); }

TAb270Meter::~TAb270Meter() {
    if (blinkConnected_) disconnect(&TAbFlashTimer::instance(), nullptr, this, nullptr);
}

void TAb270Meter::setValue(float v) {
    if (v == model_.Value()) return;
    model_.setValue(v, nowAsDays());
    followBlinking();
    update();
}

void TAb270Meter::settingsChanged() {
    followBlinking();
    update();
}

void TAb270Meter::followBlinking() {
    const bool want = model_.blinking();
    if (want == blinkConnected_) return;
    blinkConnected_ = want;
    if (want) {
        connect(&TAbFlashTimer::instance(), &TAbFlashTimer::flash, this, [this](uint32_t ticks) {
            const bool red = kvr::MeterModel::blinkRed(ticks);
            if (red != blinkRed_) {
                blinkRed_ = red;
                update();
            }
        });
    } else {
        disconnect(&TAbFlashTimer::instance(), &TAbFlashTimer::flash, this, nullptr);
    }
}

void TAb270Meter::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    const double side = std::min(area.width(), area.height());
    const QPointF c(area.center().x(), area.top() + side / 2.0);
    const double outer = side / 2.0 - 4;

    // Face and bevels.
    QRadialGradient bevel(c, outer + 3);
    bevel.setColorAt(0.92, QColor(60, 60, 60));
    bevel.setColorAt(1.0, QColor(170, 170, 170));
    p.setBrush(bevel);
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, outer + 3, outer + 3);
    p.setBrush(QColor(20, 20, 24));
    p.drawEllipse(c, outer - 2, outer - 2);

    const double scaleR = outer * 0.80;
    // Sectors as coloured arcs just inside the scale line.
    if (model_.opSector) {
        for (const auto& s : model_.sectors) {
            QPen pen(rgb(s.color), std::max(3.0, outer * 0.06), Qt::SolidLine, Qt::FlatCap);
            p.setPen(pen);
            const double a0 = 225.0 - 0.27 * s.from;
            const double a1 = 225.0 - 0.27 * s.to;
            const double r = scaleR - outer * 0.05;
            p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), static_cast<int>(a1 * 16),
                      static_cast<int>((a0 - a1) * 16));
        }
    }
    // Scale line, ticks and numbers.
    p.setPen(QPen(scaleColor, 1.5));
    p.drawArc(QRectF(c.x() - scaleR, c.y() - scaleR, 2 * scaleR, 2 * scaleR), -45 * 16, 270 * 16);
    const int steps = std::max(1, model_.ScaleSettings.Steps);
    const int subs = std::max(1, model_.ScaleSettings.SubSteps);
    QFont scaleFont = font();
    scaleFont.setPixelSize(scalePixelSize);
    scaleFont.setBold(boldScale);
    p.setFont(scaleFont);
    for (int i = 0; i <= steps * subs; ++i) {
        const double angle = 225.0 - 270.0 * i / (steps * subs);
        const bool major = i % subs == 0;
        const double len = major ? outer * 0.10 : outer * 0.05;
        p.setPen(QPen(scaleColor, major ? 2.0 : 1.0));
        p.drawLine(polar(c, scaleR, angle), polar(c, scaleR - len, angle));
        if (major) {
            const QPointF at = polar(c, scaleR - outer * 0.22, angle);
            const QString text = QString::fromStdString(model_.scaleLabel(i / subs));
            p.drawText(QRectF(at.x() - 30, at.y() - 10, 60, 20), Qt::AlignCenter, text);
        }
    }
    // Min/max marks on the scale line.
    if (model_.hasMinMax()) {
        auto mark = [&](float v) {
            const auto& s = model_.SignalSettings();
            const double span = s.ValueTo() - s.ValueFrom();
            if (span == 0) return;
            const double pos = std::clamp((v - s.ValueFrom()) / span * 1000.0, 0.0, 1000.0);
            const double angle = 225.0 - 0.27 * pos;
            QColor col = Qt::white;
            if (minMaxInSectorColors) {
                for (const auto& sec : model_.sectors)
                    if (sec.from <= pos && pos <= sec.to) col = rgb(sec.color);
            }
            p.setPen(QPen(col, 3));
            p.drawLine(polar(c, scaleR + 2, angle), polar(c, scaleR + outer * 0.08, angle));
        };
        mark(model_.minValue());
        mark(model_.maxValue());
    }
    // Unit and reading.
    QFont unitFont = font();
    unitFont.setPixelSize(std::max(8, static_cast<int>(unitPixelSize * side / 252.0 * 0.75)));
    unitFont.setItalic(italicUnit);
    p.setFont(unitFont);
    p.setPen(unitColor == Qt::black ? QColor(230, 230, 230) : unitColor);
    p.drawText(QRectF(c.x() - outer, c.y() + outer * 0.22, 2 * outer, outer * 0.3), Qt::AlignCenter,
               QString::fromStdString(model_.SignalSettings().ValueUnit()));
    QFont valueFont = font();
    valueFont.setPixelSize(std::max(9, static_cast<int>(side * 0.085)));
    valueFont.setBold(true);
    p.setFont(valueFont);
    p.setPen(QColor(255, 255, 160));
    p.drawText(QRectF(c.x() - outer, c.y() + outer * 0.52, 2 * outer, outer * 0.3), Qt::AlignCenter,
               QString::fromStdString(model_.valueText()));

    // Needle: in its own colours, or red/yellow while blinking.
    const double angle = model_.needleAngleDegrees();
    QColor needle = pointerColor;
    if (model_.blinking()) needle = blinkRed_ ? QColor(Qt::red) : QColor(Qt::yellow);
    QPainterPath arrow;
    arrow.moveTo(polar(c, scaleR - 2, angle));
    arrow.lineTo(polar(c, outer * 0.08, angle + 90));
    arrow.lineTo(polar(c, outer * 0.15, angle + 180));
    arrow.lineTo(polar(c, outer * 0.08, angle - 90));
    arrow.closeSubpath();
    p.setPen(QPen(needle.darker(150), 1));
    p.setBrush(needle);
    p.drawPath(arrow);
    p.setBrush(QColor(90, 90, 90));
    p.drawEllipse(c, outer * 0.07, outer * 0.07);
}
