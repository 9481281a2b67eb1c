#include "widgets/ab270_meter.h"

#include <QDateTime>
#include <QPainter>
#include <QPaintEvent>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "widgets/recording_clock.h"

namespace {

QColor rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

double nowAsDays() {
    // The local time without a time-zone lookup per call: the offset from UTC
    // is looked up again only once a minute (the meters ask many times a second).
    static qint64 offsetMs = 0;
    static qint64 offsetCheckedAt = 0;
    static bool offsetKnown = false;
    const qint64 utcMs = QDateTime::currentMSecsSinceEpoch();
    if (!offsetKnown || utcMs < offsetCheckedAt || utcMs - offsetCheckedAt > 60000) {
        offsetKnown = true;
        offsetMs = QDateTime::fromMSecsSinceEpoch(utcMs).offsetFromUtc() * 1000LL;
        offsetCheckedAt = utcMs;
    }
    return (utcMs + offsetMs) / 86400000.0 + 25569.0;  // days since 1899-12-30
}

QPointF polar(QPointF centre, double radius, double degrees) {
    const double r = degrees * M_PI / 180.0;
    return {centre.x() + radius * std::cos(r), centre.y() - radius * std::sin(r)};
}

}  // namespace

TAb270Meter::TAb270Meter(QWidget* parent) : QWidget(parent) {
    resize(252, 252);
    shown_ = valueState();
}

TAb270Meter::~TAb270Meter() {
    if (blinkConnected_) disconnect(&TAbFlashTimer::instance(), nullptr, this, nullptr);
}

void TAb270Meter::setValue(float v) {
    if (v == model_.Value()) return;
    model_.setValue(v, nowAsDays());
    const ValueState before = shown_;
    shown_ = valueState();
    const ValueState& after = shown_;
    followBlinking();
    // Only what moved is repainted; the cached face fills in beneath it.
    const Geometry g = dialGeometry();
    QRegion dirty;
    if (after.needleAngle != before.needleAngle) {
        dirty += needleRegion(g, before.needleAngle);
        dirty += needleRegion(g, after.needleAngle);
    }
    if (after.text != before.text) dirty += readingRect(g);
    if (after.hasMinMax != before.hasMinMax || after.min != before.min) {
        if (before.hasMinMax) dirty += markRect(g, before.min);
        dirty += markRect(g, after.min);
    }
    if (after.hasMinMax != before.hasMinMax || after.max != before.max) {
        if (before.hasMinMax) dirty += markRect(g, before.max);
        dirty += markRect(g, after.max);
    }
    lastValueRegion_ = dirty;
    if (!dirty.isEmpty()) update(dirty);
}

void TAb270Meter::settingsChanged() {
    shown_ = valueState();
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
                const Geometry g = dialGeometry();
                update(needleRegion(g, model_.needleAngleDegrees()));
            }
        });
    } else {
        disconnect(&TAbFlashTimer::instance(), &TAbFlashTimer::flash, this, nullptr);
    }
}

bool TAb270Meter::FaceKey::operator==(const FaceKey& o) const {
    return size == o.size && background == o.background && pixelRatio == o.pixelRatio && font == o.font && scaleColor == o.scaleColor &&
           unitColor == o.unitColor && unitPixelSize == o.unitPixelSize && scalePixelSize == o.scalePixelSize &&
           boldScale == o.boldScale && italicUnit == o.italicUnit && opSector == o.opSector && steps == o.steps &&
           subSteps == o.subSteps && unit == o.unit && scaleFormat == o.scaleFormat && from == o.from && to == o.to &&
           std::equal(std::begin(sectors), std::end(sectors), std::begin(o.sectors));
}

TAb270Meter::Geometry TAb270Meter::dialGeometry() const {
    const QRectF area = rect();
    const double side = std::min(area.width(), area.height());
    const double outer = side / 2.0 - 4;
    return {QPointF(area.center().x(), area.top() + side / 2.0), side, outer, outer * 0.80};
}

TAb270Meter::FaceKey TAb270Meter::faceKey() const {
    FaceKey k;
    k.size = size();
    k.background = backdrop();
    k.pixelRatio = devicePixelRatioF();
    k.font = font();
    k.scaleColor = scaleColor;
    k.unitColor = unitColor;
    k.unitPixelSize = unitPixelSize;
    k.scalePixelSize = scalePixelSize;
    k.boldScale = boldScale;
    k.italicUnit = italicUnit;
    k.opSector = model_.opSector;
    k.steps = std::max(1, model_.ScaleSettings.Steps);
    k.subSteps = std::max(1, model_.ScaleSettings.SubSteps);
    k.unit = model_.SignalSettings().ValueUnit();
    // The scale numbers follow from these; formatting them on every paint
    // would cost more than the paint.
    k.scaleFormat = model_.ScaleSettings.ValueFormat;
    k.from = model_.SignalSettings().ValueFrom();
    k.to = model_.SignalSettings().ValueTo();
    for (int i = 0; i < 3; ++i) {
        k.sectors[i * 3] = model_.sectors[i].color;
        k.sectors[i * 3 + 1] = static_cast<uint32_t>(model_.sectors[i].from);
        k.sectors[i * 3 + 2] = static_cast<uint32_t>(model_.sectors[i].to);
    }
    return k;
}

QColor TAb270Meter::backdrop() const {
    // Over a plainly filled parent the face can carry that colour in its
    // corners: the meter is then opaque and a repaint needs nothing beneath it.
    for (const QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (!w->autoFillBackground()) continue;
        const QBrush& b = w->palette().brush(w->backgroundRole());
        if (b.style() == Qt::SolidPattern && b.isOpaque()) return b.color();
        break;
    }
    return QColor();
}

TAb270Meter::ValueState TAb270Meter::valueState() const {
    ValueState v;
    v.needleAngle = model_.needleAngleDegrees();
    v.text = model_.valueText();
    v.hasMinMax = model_.hasMinMax();
    v.min = model_.minValue();
    v.max = model_.maxValue();
    return v;
}

double TAb270Meter::markAngle(float v) const {
    const auto& s = model_.SignalSettings();
    const double span = s.ValueTo() - s.ValueFrom();
    if (span == 0) return 225.0;
    const double pos = std::clamp((v - s.ValueFrom()) / span * 1000.0, 0.0, 1000.0);
    return 225.0 - 0.27 * pos;
}

QRegion TAb270Meter::needleRegion(const Geometry& g, double angle) const {
    // The needle is a thin kite from its tail through the hub to its tip. A
    // slanted needle's bounding box is mostly face, so the region is a chain
    // of small boxes along it: less to copy from the face on every move, and
    // each box short enough for the raster engine to fill on this thread.
    const double tail = g.outer * 0.15, tip = g.scaleR - 2, halfWidth = g.outer * 0.08;
    auto widthAt = [&](double x) { return halfWidth * (1.0 - (x < 0 ? -x / tail : x / tip)); };
    auto at = [&](double x, double across) {
        return polar(polar(g.centre, x, angle), across, angle + 90);
    };
    std::vector<double> cuts{-tail, 0.0};
    const int pieces = std::max(1, static_cast<int>(std::ceil(tip / 24.0)));
    for (int i = 1; i <= pieces; ++i) cuts.push_back(tip * i / pieces);
    QRegion region;
    for (size_t i = 1; i < cuts.size(); ++i) {
        const double a = cuts[i - 1], b = cuts[i];
        QPolygonF corners;
        corners << at(a, widthAt(a)) << at(a, -widthAt(a)) << at(b, widthAt(b)) << at(b, -widthAt(b));
        // The pen and antialiasing reach a pixel or two past the outline.
        region += corners.boundingRect().toAlignedRect().adjusted(-3, -3, 3, 3);
    }
    return region;
}

QRect TAb270Meter::readingRect(const Geometry& g) const {
    // The full width: a long reading may run past its centred box.
    return QRectF(0, g.centre.y() + g.outer * 0.52 - 2, width(), g.outer * 0.3 + 4).toAlignedRect();
}

QRect TAb270Meter::markRect(const Geometry& g, float value) const {
    const double angle = markAngle(value);
    const QPointF a = polar(g.centre, g.scaleR + 2, angle);
    const QPointF b = polar(g.centre, g.scaleR + g.outer * 0.08, angle);
    return QRectF(a, b).normalized().toAlignedRect().adjusted(-4, -4, 4, 4);
}

void TAb270Meter::paintFace(QPainter& p, const Geometry& g) const {
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = g.centre;
    const double outer = g.outer;
    const double scaleR = g.scaleR;

    // Face and bevels.
    QRadialGradient bevel(c, outer + 3);
    bevel.setColorAt(0.92, QColor(60, 60, 60));
    bevel.setColorAt(1.0, QColor(170, 170, 170));
    p.setBrush(bevel);
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, outer + 3, outer + 3);
    p.setBrush(QColor(20, 20, 24));
    p.drawEllipse(c, outer - 2, outer - 2);

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
    // Scale line, ticks and numbers. The numbers' size follows the dial's, as
    // set for the 220-pixel design size.
    p.setPen(QPen(scaleColor, 1.5));
    p.drawArc(QRectF(c.x() - scaleR, c.y() - scaleR, 2 * scaleR, 2 * scaleR), -45 * 16, 270 * 16);
    const int steps = std::max(1, model_.ScaleSettings.Steps);
    const int subs = std::max(1, model_.ScaleSettings.SubSteps);
    const double scale = g.side / 208.0;
    QFont scaleFont = font();
    scaleFont.setPixelSize(std::max(7, static_cast<int>(std::lround(scalePixelSize * std::min(scale, 2.5)))));
    scaleFont.setBold(boldScale);
    p.setFont(scaleFont);
    const double box = 30 * scale;
    for (int i = 0; i <= steps * subs; ++i) {
        const double angle = 225.0 - 270.0 * i / (steps * subs);
        const bool major = i % subs == 0;
        const double len = major ? outer * 0.10 : outer * 0.05;
        p.setPen(QPen(scaleColor, major ? 2.0 : 1.0));
        p.drawLine(polar(c, scaleR, angle), polar(c, scaleR - len, angle));
        if (major) {
            const QPointF at = polar(c, scaleR - outer * 0.22, angle);
            const QString text = QString::fromStdString(model_.scaleLabel(i / subs));
            p.drawText(QRectF(at.x() - box, at.y() - box / 3, 2 * box, 2 * box / 3), Qt::AlignCenter, text);
        }
    }
    // Unit.
    QFont unitFont = font();
    unitFont.setPixelSize(std::max(8, static_cast<int>(unitPixelSize * g.side / 252.0 * 0.75)));
    unitFont.setItalic(italicUnit);
    p.setFont(unitFont);
    p.setPen(unitColor == Qt::black ? QColor(230, 230, 230) : unitColor);
    p.drawText(QRectF(c.x() - outer, c.y() + outer * 0.22, 2 * outer, outer * 0.3), Qt::AlignCenter,
               QString::fromStdString(model_.SignalSettings().ValueUnit()));
}

void TAb270Meter::paintEvent(QPaintEvent* event) {
    const Geometry g = dialGeometry();
    const FaceKey key = faceKey();
    if (face_.isNull() || !(key == faceKey_)) {
        face_ = QPixmap(key.size * key.pixelRatio);
        face_.setDevicePixelRatio(key.pixelRatio);
        face_.fill(key.background.isValid() ? key.background : QColor(Qt::transparent));
        setAttribute(Qt::WA_OpaquePaintEvent, key.background.isValid());
        QPainter fp(&face_);
        paintFace(fp, g);
        faceKey_ = key;
        ++faceRenders_;
    }

    QPainter p(this);
    const QRegion& dirty = event->region();
    for (const QRect& r : dirty) p.drawPixmap(r, face_, QRectF(QPointF(r.topLeft()) * face_.devicePixelRatio(), QSizeF(r.size()) * face_.devicePixelRatio()));
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = g.centre;
    const double outer = g.outer;
    const double scaleR = g.scaleR;

    // Min/max marks on the scale line. Parts outside the repainted region are
    // skipped: the face already shows them.
    if (model_.hasMinMax()) {
        auto mark = [&](float v) {
            const auto& s = model_.SignalSettings();
            if (s.ValueTo() - s.ValueFrom() == 0) return;
            if (!dirty.intersects(markRect(g, v))) return;
            const double angle = markAngle(v);
            const double pos = (225.0 - angle) / 0.27;
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
    // The reading.
    if (dirty.intersects(readingRect(g))) {
        QFont valueFont = font();
        valueFont.setPixelSize(std::max(9, static_cast<int>(g.side * 0.085)));
        valueFont.setBold(true);
        p.setFont(valueFont);
        p.setPen(QColor(255, 255, 160));
        p.drawText(QRectF(c.x() - outer, c.y() + outer * 0.52, 2 * outer, outer * 0.3), Qt::AlignCenter,
                   QString::fromStdString(model_.valueText()));
    }

    // Needle: in its own colours, or red/yellow while blinking.
    const double angle = model_.needleAngleDegrees();
    if (!dirty.intersects(needleRegion(g, angle))) return;
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
