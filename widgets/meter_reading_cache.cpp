#include "widgets/meter_reading_cache.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

bool MeterReadingCache::Look::operator==(const Look& o) const {
    return faceVersion == o.faceVersion && area == o.area && textBox == o.textBox && font == o.font &&
           colour == o.colour && direction == o.direction;
}

void MeterReadingCache::setLook(Look look) {
    if (look == look_) return;
    look_ = std::move(look);
    entries_.clear();
}

const MeterReadingCache::Ink& MeterReadingCache::ink(const QString& text) {
    auto found = entries_.constFind(text);
    if (found != entries_.constEnd()) return *found;
    // Full: start again rather than keep books on which reading is oldest. A
    // drive's readings fit many times over; the cache fills again in a few
    // sweeps of the needle.
    if (entries_.size() >= static_cast<qsizetype>(kCapacity)) entries_.clear();
    ++drawn_;
    return *entries_.insert(text, draw(text));
}

const MeterReadingCache::Ink* MeterReadingCache::find(const QString& text) const {
    auto found = entries_.constFind(text);
    return found == entries_.constEnd() ? nullptr : &*found;
}

MeterReadingCache::Ink MeterReadingCache::draw(const QString& text) const {
    // Drawn on a copy of the face around where the text goes: its laid-out
    // box and a line's height more on every side, for glyphs that reach past
    // their box. Which pixels the text changed is found by comparing.
    const QFontMetricsF metrics(look_.font);
    const double margin = metrics.height();
    const QRectF laidOut = metrics.boundingRect(look_.textBox, Qt::AlignCenter, text);
    const QRect area = laidOut.adjusted(-margin, -margin, margin, margin)
                           .toAlignedRect()
                           .intersected(look_.area)
                           .intersected(look_.face.rect());
    if (area.isEmpty()) return {look_.area.topLeft(), QImage()};
    QImage canvas = look_.face.copy(area);
    {
        QPainter p(&canvas);
        p.translate(-area.topLeft());
        p.setRenderHint(QPainter::Antialiasing);
        p.setLayoutDirection(look_.direction);
        p.setFont(look_.font);
        p.setPen(look_.colour);
        p.drawText(look_.textBox, Qt::AlignCenter, text);
    }
    // Only the pixels the text changed are kept: the rest is face, which the
    // meter has put there already.
    int left = canvas.width(), right = -1, top = canvas.height(), bottom = -1;
    for (int y = 0; y < canvas.height(); ++y) {
        const auto* drawn = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        const auto* face =
            reinterpret_cast<const QRgb*>(look_.face.constScanLine(area.top() + y)) + area.left();
        for (int x = 0; x < canvas.width(); ++x) {
            if (drawn[x] == face[x]) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return {area.topLeft(), QImage()};
    const QRect ink(QPoint(left, top), QPoint(right, bottom));
    return {area.topLeft() + ink.topLeft(), canvas.copy(ink)};
}
