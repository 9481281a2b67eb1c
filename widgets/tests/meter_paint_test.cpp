// The dial meter draws its face once per size and settings, repaints only
// the parts a new value moves, and what it shows after such partial
// repaints is what a full repaint shows: where the needle crosses the
// min/max marks, readings change width, the dial is resized, or several
// values come between two repaints. A reading copied from the meter's cache
// looks as one drawn directly.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "image_compare.h"
#include "widgets/ab270_meter.h"

namespace {

struct ShownMeter {
    QWidget page;
    TAb270Meter* meter;
    // An opaque page lets the meter copy readings from its cache; over a
    // transparent one it draws them.
    explicit ShownMeter(bool opaquePage = true) {
        page.resize(300, 260);
        page.setAutoFillBackground(opaquePage);
        meter = new TAb270Meter(&page);
        meter->setGeometry(10, 10, 220, 208);
        auto& s = meter->model().SignalSettings();
        s.setValueUnit("RPM");
        s.setValueFrom(0);
        s.setValueTo(100);
        meter->model().setLimitUpper(90);
        meter->model().setLimitLower(-1);
        meter->settingsChanged();
        page.show();
        settle();
    }
    static void settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
    // What is on screen now, built up from the repaints so far.
    QImage onScreen() const {
        return page.screen()->grabWindow(page.winId()).toImage().copy(meter->geometry()).convertToFormat(
            QImage::Format_RGB32);
    }
    // The meter painted whole, from scratch.
    QImage fullPaint() const { return meter->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // Sets a value, lets the repaint happen and checks the screen against a
    // full paint.
    void showAndCompare(float v) {
        meter->setValue(v);
        settle();
        SCOPED_TRACE(v);
        const QImage shown = onScreen();
        const QImage full = fullPaint();
        ASSERT_EQ(shown.size(), full.size());
        QPoint first;
        EXPECT_EQ(differingPixels(shown, full, first), 0)
            << "stale pixels left from an earlier value, the first at " << first.x() << "," << first.y();
    }
};

// Counts the paint events a widget gets.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST(MeterPaint, FaceIsDrawnOncePerSizeAndSettings) {
    ShownMeter m;
    const int first = m.meter->faceRenders();
    EXPECT_GE(first, 1);
    for (float v : {10.f, 35.5f, 60.f, 42.f, 99.f}) {
        m.meter->setValue(v);
        m.settle();
    }
    EXPECT_EQ(m.meter->faceRenders(), first) << "new values reuse the face";

    m.meter->resize(300, 280);
    m.settle();
    EXPECT_EQ(m.meter->faceRenders(), first + 1) << "a new size draws it again";

    m.meter->model().SignalSettings().setValueTo(200);  // the scale numbers change
    m.meter->settingsChanged();
    m.settle();
    EXPECT_EQ(m.meter->faceRenders(), first + 2);

    m.meter->model().sectors[0].color = 0x0000FF;  // changed behind the meter's back
    m.meter->update();
    m.settle();
    EXPECT_EQ(m.meter->faceRenders(), first + 3) << "the face follows its sectors";
}

TEST(MeterPaint, ANewValueRepaintsOnlyWhatMoved) {
    ShownMeter m;
    m.meter->setValue(20);
    m.settle();
    m.meter->setValue(25);
    const QRegion dirty = m.meter->lastValueRegion();
    ASSERT_FALSE(dirty.isEmpty());
    int area = 0;
    for (const QRect& r : dirty) area += r.width() * r.height();
    EXPECT_LT(area, m.meter->width() * m.meter->height() / 2) << "a small needle step is a small repaint";
    // The scale's upper right (far from a needle at 20..25 %) is left alone.
    EXPECT_FALSE(dirty.contains(QPoint(m.meter->width() - 40, 40)));
}

TEST(MeterPaint, PartialRepaintsShowWhatAFullPaintShows) {
    ShownMeter m;
    // Needle sweeps, readings, min/max marks, the limit's blinking needle and back.
    for (float v : {5.f, 50.f, 48.f, 95.f, 70.f, -20.f, 33.3f, 33.4f, 61.f}) m.showAndCompare(v);

    // The needle crossing the marks at 10 and 90 in small steps: a mark the
    // repaint reaches must not come out cut by the clip.
    for (float v : {10.f, 90.f}) m.showAndCompare(v);
    for (float v = 84; v <= 96; v += 0.7f) m.showAndCompare(v);
    for (float v = 16; v >= 4; v -= 0.7f) m.showAndCompare(v);

    // Readings that get wider and narrower: the old text must go entirely.
    for (float v : {-20.f, 5.f, 100.5f, 1.f, -9.9f, 7.f}) m.showAndCompare(v);

    // A new size: the needle's area is worked out for the new dial.
    m.meter->resize(260, 240);
    m.settle();
    for (float v : {40.f, 41.f, 60.f, 12.f}) m.showAndCompare(v);
}

TEST(MeterPaint, ManyValuesBetweenRepaintsGiveOneRepaintOfTheLast) {
    ShownMeter coalesced, stepwise;
    PaintCounter count;
    coalesced.meter->installEventFilter(&count);
    const float values[] = {20.f, 35.f, 50.f, 65.f, 47.5f, 80.f};
    for (float v : values) coalesced.meter->setValue(v);
    coalesced.settle();
    EXPECT_EQ(count.paints, 1) << "one repaint for all the values set before it";
    for (float v : values) {
        stepwise.meter->setValue(v);
        stepwise.settle();
    }
    QPoint first;
    EXPECT_EQ(differingPixels(coalesced.onScreen(), stepwise.onScreen(), first), 0)
        << "the screen shows the last value, with no trace of the first; first difference at " << first.x()
        << "," << first.y();
}

// The middle of the reading's strip: inside the dial, where two faces are
// alike whatever is behind the meter.
QRect readingMiddle(const QImage& meter) {
    const double side = std::min(meter.width(), meter.height()), outer = side / 2 - 4;
    return QRectF(meter.width() / 2.0 - outer / 2, side / 2 + outer * 0.5, outer, outer * 0.35).toAlignedRect();
}

TEST(MeterPaint, ReadingsLookTheSameCopiedOrDrawn) {
    ShownMeter copied(true), drawn(false);
    auto compare = [&](float v) {
        copied.meter->setValue(v);
        drawn.meter->setValue(v);
        copied.settle();
        SCOPED_TRACE(v);
        const QImage a = copied.fullPaint(), b = drawn.fullPaint();
        const QRect middle = readingMiddle(a);
        QPoint first;
        EXPECT_EQ(differingPixels(a.copy(middle), b.copy(middle), first), 0)
            << "first difference at " << first.x() + middle.x() << "," << first.y() + middle.y();
    };
    for (float v : {12.3f, -17.f, 100.5f, 12.3f, 0.f}) compare(v);

    // Another font: readings copied before are not copied again.
    QFont italic = copied.meter->font();
    italic.setItalic(true);
    copied.meter->setFont(italic);
    drawn.meter->setFont(italic);
    for (float v : {12.3f, -17.f}) compare(v);
}

}  // namespace
