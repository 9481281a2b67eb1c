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

const QColor kReadingColour(255, 255, 160);

// The box the reading is centred in.
QRectF readingBox(QPointF centre, double outer) {
    return {centre.x() - outer, centre.y() + outer * 0.52, 2 * outer, outer * 0.3};
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
    if (after.needleAngle != before.needleAngle)
        dirty += needle_.move(needleDial(g), before.needleAngle, after.needleAngle);
    if (after.text != before.text) dirty += readingChange(g, before.text, after.text);
    if (after.hasMinMax != before.hasMinMax || after.min != before.min) {
        if (before.hasMinMax) dirty += markRect(g, before.min);
        dirty += markRect(g, after.min);
    }
    if (after.hasMinMax != before.hasMinMax || after.max != before.max) {
        if (before.hasMinMax) dirty += markRect(g, before.max);
        dirty += markRect(g, after.max);
    }
    lastValueRegion_ = withWholeMarks(g, dirty);
    if (!lastValueRegion_.isEmpty()) update(lastValueRegion_);
}

QRegion TAb270Meter::withWholeMarks(const Geometry& g, QRegion dirty) const {
    // A thick antialiased line cut by the clip comes out a shade different
    // from the same line drawn whole, so a min/max mark the repaint reaches
    // is repainted whole.
    if (!model_.hasMinMax()) return dirty;
    for (float v : {model_.minValue(), model_.maxValue()}) {
        const QRect mark = markRect(g, v);
        if (dirty.intersects(mark)) dirty += mark;
    }
    return dirty;
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
                update(withWholeMarks(g, needle_.region(needleDial(g), model_.needleAngleDegrees())));
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
    v.text = readingText();
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

const QString& TAb270Meter::readingText() const {
    ReadingText& r = readingText_;
    const std::string& format = model_.SignalSettings().ValueFormat();
    if (!r.valid || r.value != model_.Value() || r.format != format) {
        r = {model_.Value(), format, QString::fromStdString(model_.valueText()), true};
    }
    return r.text;
}

QFont TAb270Meter::readingFont(const Geometry& g) const {
    QFont f = font();
    f.setPixelSize(std::max(9, static_cast<int>(g.side * 0.085)));
    f.setBold(true);
    return f;
}

bool TAb270Meter::readingsCached() const {
    // Where the face is opaque and drawn at one device pixel per pixel, a
    // copy of the face is what the screen holds beneath the text.
    return testAttribute(Qt::WA_OpaquePaintEvent) && !face_.isNull() && face_.devicePixelRatio() == 1.0 &&
           face_.depth() == 32;
}

MeterReadingCache::Look TAb270Meter::readingLook(const Geometry& g) const {
    return {face_.toImage(), readingRect(g), readingBox(g.centre, g.outer), readingFont(g),
            kReadingColour, layoutDirection(), faceRenders_};
}

QRegion TAb270Meter::readingChange(const Geometry& g, const QString& from, const QString& to) {
    // Only while the face on show is the one the cache holds readings on:
    // after a resize or new settings the next paint draws the face afresh.
    if (!readingsCached() || face_.size() != size() * face_.devicePixelRatio() ||
        !(readings_.look() == readingLook(g)))
        return readingRect(g);
    const MeterReadingCache::Ink* before = readings_.find(from);
    if (before == nullptr) return readingRect(g);
    const QRect beforeRect(before->at, before->pixels.size());
    const MeterReadingCache::Ink& after = readings_.ink(to);
    return QRegion(beforeRect) + QRect(after.at, after.pixels.size());
}

void TAb270Meter::paintReading(QPainter& p, const Geometry& g, const QRegion& dirty) {
    const QString& text = readingText();
    if (readingsCached()) {
        readings_.setLook(readingLook(g));
        const MeterReadingCache::Ink& ink = readings_.ink(text);
        const QRect inkRect(ink.at, ink.pixels.size());
        // The copy holds face where the text leaves it: over a min/max mark
        // it would wipe the mark out, so there the text is drawn instead.
        const bool overMark = model_.hasMinMax() && (inkRect.intersects(markRect(g, model_.minValue())) ||
                                                     inkRect.intersects(markRect(g, model_.maxValue())));
        if (!overMark) {
            if (!ink.pixels.isNull() && dirty.intersects(inkRect)) p.drawImage(ink.at, ink.pixels);
            return;
        }
    }
    p.setFont(readingFont(g));
    p.setPen(kReadingColour);
    p.drawText(readingBox(g.centre, g.outer), Qt::AlignCenter, text);
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
    if (dirty.intersects(readingRect(g))) paintReading(p, g, dirty);

    // Needle: in its own colours, or red/yellow while blinking.
    const double angle = model_.needleAngleDegrees();
    if (!needle_.touches(needleDial(g), angle, dirty)) return;
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
