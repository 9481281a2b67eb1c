// The dial meter draws its face once per size and settings, repaints only
// the parts a new value moves, and what it shows after such partial
// repaints is what a full repaint shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

#include "image_compare.h"
#include "widgets/ab270_meter.h"

namespace {

struct ShownMeter {
    QWidget page;
    TAb270Meter* meter;
    ShownMeter() {
        page.resize(300, 260);
        page.setAutoFillBackground(true);
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
    for (float v : {5.f, 50.f, 48.f, 95.f, 70.f, -20.f, 33.3f, 33.4f, 61.f}) {
        m.meter->setValue(v);
        m.settle();
        SCOPED_TRACE(v);
        const QImage shown = m.onScreen();
        const QImage full = m.fullPaint();
        ASSERT_EQ(shown.size(), full.size());
        QPoint first;
        EXPECT_EQ(differingPixels(shown, full, first), 0)
            << "stale pixels left from an earlier value, the first at " << first.x() << "," << first.y();
    }
}

}  // namespace
