// The readings a dial meter has drawn on its face, kept as the pixels each
// one changed. A reading shown before is put back with one copy instead of
// being laid out, shaped and drawn again: a running engine's readings come
// back again and again, and drawing text is most of the cost of a reading.
//
// Each entry is drawn once with the same painter calls the meter would make
// onto a copy of the face, so the copy puts back exactly the pixels direct
// drawing would give.
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QString>

class MeterReadingCache {
public:
    // What the readings are drawn with: the face image (device pixels), the
    // part of it a reading may cover (`area`, widget coordinates), the box the
    // text is centred in, its font and colour. A change of any of these
    // empties the cache.
    struct Look {
        QImage face;
        QRect area;
        QRectF textBox;
        QFont font;
        QColor colour;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        int faceVersion = -1;  // which drawing of the face `face` is
        bool operator==(const Look& o) const;  // the face by its version
    };
    void setLook(Look look);
    const Look& look() const { return look_; }

    // The pixels `text` changes on the face: `at` (widget coordinates) and the
    // image to copy there. An empty image: the text changes nothing. The
    // face must be 32 bits a pixel.
    struct Ink {
        QPoint at;
        QImage pixels;
    };
    const Ink& ink(const QString& text);
    // The ink of a reading drawn before, without drawing it; null if it is
    // not kept.
    const Ink* find(const QString& text) const;

    // How many readings were drawn rather than found; for tests.
    int drawn() const { return drawn_; }
    int size() const { return static_cast<int>(entries_.size()); }

    // The readings kept at most: a manifold pressure dial at one decimal
    // shows a few hundred in a drive. A reading's pixels take a few KB.
    static constexpr int kCapacity = 512;

private:
    Ink draw(const QString& text) const;

    Look look_;
    QHash<QString, Ink> entries_;
    int drawn_ = 0;
};
