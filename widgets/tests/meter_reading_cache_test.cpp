// The reading cache keeps what each reading changes on a face: putting that
// back gives exactly what drawing the text gives, and a reading is drawn
// once while the face, box, font and colour stay.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QString>

#include "image_compare.h"
#include "widgets/meter_reading_cache.h"

namespace {

// A face with a pattern under the text, so an ink put back one pixel off,
// or cut short, shows.
QImage patternedFace() {
    QImage face(220, 208, QImage::Format_RGB32);
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x) face.setPixel(x, y, qRgb(20 + x % 7 * 9, 24 + y % 5 * 11, 30));
    return face;
}

MeterReadingCache::Look look(const QImage& face, const QFont& font, int version = 1) {
    return {face, QRect(0, 150, 220, 34), QRectF(14, 152, 192, 30), font, QColor(255, 255, 160), Qt::LeftToRight,
            version};
}

QFont boldFont(int pixels) {
    QFont f;
    f.setPixelSize(pixels);
    f.setBold(true);
    return f;
}

// The face with the text drawn on it, as a meter draws a reading.
QImage drawnOn(const MeterReadingCache::Look& l, const QString& text) {
    QImage out = l.face.copy();
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(l.font);
    p.setPen(l.colour);
    p.drawText(l.textBox, Qt::AlignCenter, text);
    return out;
}

QImage inkPutOn(const QImage& face, const MeterReadingCache::Ink& ink) {
    QImage out = face.copy();
    QPainter p(&out);
    if (!ink.pixels.isNull()) p.drawImage(ink.at, ink.pixels);
    return out;
}

TEST(MeterReadingCache, InkPutBackOnTheFaceIsTheTextDrawnThere) {
    MeterReadingCache cache;
    const QImage face = patternedFace();
    cache.setLook(look(face, boldFont(18)));
    for (const char* text : {"12.3", "-17.0", "0.0", "1000.5", "8"}) {
        SCOPED_TRACE(text);
        const MeterReadingCache::Ink& ink = cache.ink(text);
        ASSERT_FALSE(ink.pixels.isNull());
        EXPECT_LT(ink.pixels.width(), 150) << "only the pixels the text takes are kept";
        QPoint first;
        EXPECT_EQ(differingPixels(inkPutOn(face, ink), drawnOn(cache.look(), text), first), 0)
            << "first difference at " << first.x() << "," << first.y();
    }
    EXPECT_TRUE(cache.ink("  ").pixels.isNull()) << "blanks change nothing";
}

TEST(MeterReadingCache, AReadingIsDrawnOnceWhileItsLookStays) {
    MeterReadingCache cache;
    const QImage face = patternedFace();
    cache.setLook(look(face, boldFont(18)));
    cache.ink("12.3");
    cache.ink("14.7");
    cache.ink("12.3");
    EXPECT_EQ(cache.drawn(), 2);
    EXPECT_NE(cache.find("14.7"), nullptr);
    EXPECT_EQ(cache.find("9.9"), nullptr) << "looked for, not drawn";
    EXPECT_EQ(cache.drawn(), 2);

    cache.setLook(look(face, boldFont(18)));
    cache.ink("12.3");
    EXPECT_EQ(cache.drawn(), 2) << "the same look keeps the readings";

    // A bigger font, or a face drawn again: the readings are drawn afresh.
    cache.setLook(look(face, boldFont(24)));
    EXPECT_EQ(cache.find("12.3"), nullptr);
    QPoint first;
    EXPECT_EQ(differingPixels(inkPutOn(face, cache.ink("12.3")), drawnOn(cache.look(), "12.3"), first), 0);
    QImage lighter = face.copy();
    lighter.fill(qRgb(90, 90, 90));
    cache.setLook(look(lighter, boldFont(24), 2));
    EXPECT_EQ(differingPixels(inkPutOn(lighter, cache.ink("12.3")), drawnOn(cache.look(), "12.3"), first), 0);
    EXPECT_EQ(cache.drawn(), 4);

    // Past its capacity it starts again, and goes on giving right pixels.
    for (int i = 0; i <= MeterReadingCache::kCapacity; ++i) cache.ink(QString::number(i));
    EXPECT_LE(cache.size(), MeterReadingCache::kCapacity);
    EXPECT_EQ(differingPixels(inkPutOn(lighter, cache.ink("-5.5")), drawnOn(cache.look(), "-5.5"), first), 0);
}

}  // namespace
