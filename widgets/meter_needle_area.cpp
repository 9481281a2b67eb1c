#include "widgets/meter_needle_area.h"

#include <algorithm>
#include <cmath>

const std::vector<QRect>& MeterNeedleArea::boxes(const Dial& dial, double angle) {
    for (int i : {newer_, 1 - newer_}) {
        if (!kept_[i].boxes.empty() && kept_[i].angle == angle && kept_[i].dial == dial) {
            newer_ = i;  // the one used last is kept longest
            return kept_[i].boxes;
        }
    }
    newer_ = 1 - newer_;
    kept_[newer_] = {dial, angle, compute(dial, angle)};
    ++computed_;
    return kept_[newer_].boxes;
}

QRegion MeterNeedleArea::region(const Dial& dial, double angle) {
    QRegion r;
    for (const QRect& box : boxes(dial, angle)) r += box;
    return r;
}

bool MeterNeedleArea::touches(const Dial& dial, double angle, const QRegion& dirty) {
    for (const QRect& box : boxes(dial, angle))
        if (dirty.intersects(box)) return true;
    return false;
}

QRegion MeterNeedleArea::move(const Dial& dial, double from, double to) {
    // Both stay kept: the second look-up replaces neither the first's boxes
    // nor, being the newer, its own.
    const std::vector<QRect>& before = boxes(dial, from);
    const std::vector<QRect>& after = boxes(dial, to);
    auto area = [](const QRect& r) { return qint64(r.width()) * r.height(); };
    QRegion r;
    for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
        const QRect both = before[i] | after[i];
        if (area(both) <= area(before[i]) + area(after[i])) {
            r += both;
        } else {
            r += before[i];
            r += after[i];
        }
    }
    return r;
}

std::vector<QRect> MeterNeedleArea::compute(const Dial& dial, double angle) {
    const double tail = dial.outer * 0.15, tip = dial.scaleR - 2, halfWidth = dial.outer * 0.08;
    const double rad = angle * M_PI / 180.0;
    // Along the needle (x) and across it (y), screen y pointing down.
    const double ax = std::cos(rad), ay = -std::sin(rad);
    const double cx = -ay, cy = ax;
    auto widthAt = [&](double x) { return halfWidth * (1.0 - (x < 0 ? -x / tail : x / tip)); };
    std::vector<double> cuts{-tail, 0.0};
    const int pieces = std::max(1, static_cast<int>(std::ceil(tip / 24.0)));
    for (int i = 1; i <= pieces; ++i) cuts.push_back(tip * i / pieces);
    std::vector<QRect> out;
    out.reserve(cuts.size() - 1);
    for (size_t i = 1; i < cuts.size(); ++i) {
        double left = 1e300, right = -1e300, top = 1e300, bottom = -1e300;
        for (double x : {cuts[i - 1], cuts[i]}) {
            for (double side : {1.0, -1.0}) {
                const double across = side * widthAt(x);
                const double px = dial.centre.x() + x * ax + across * cx;
                const double py = dial.centre.y() + x * ay + across * cy;
                left = std::min(left, px);
                right = std::max(right, px);
                top = std::min(top, py);
                bottom = std::max(bottom, py);
            }
        }
        // The pen and antialiasing reach a pixel or two past the outline.
        const QRectF box(QPointF(left, top), QPointF(right, bottom));
        out.push_back(box.toAlignedRect().adjusted(-3, -3, 3, 3));
    }
    return out;
}
