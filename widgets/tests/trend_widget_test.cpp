// The trend recorder widget on the offscreen platform: recording through the
// clock with the due-time rule, a save/clear/load round trip with the cursor
// read-out, and what the plot shows.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cmath>

#include "image_compare.h"
#include "widgets/ab_trend.h"
#include "widgets/recording_clock.h"

namespace {

// The recording clock on a millisecond counter the test moves by hand.
class FakeTicks {
public:
    FakeTicks() {
        TAbFlashTimer::instance().setTickSource([this] { return now; });
    }
    ~FakeTicks() { TAbFlashTimer::instance().setTickSource({}); }
    // Base ticks every 16 ms for `ms` milliseconds.
    void run(uint32_t ms) {
        for (uint32_t end = now + ms; now < end;) {
            now += 16;
            TAbFlashTimer::instance().baseTick();
        }
    }
    uint32_t now = 5000;
};

// A trend set up as the log chart window sets it, shown offscreen.
struct ShownTrend {
    double days = 45000.5;
    TAbTrend trend{nullptr, [this] { return days += 0.1 / 86400; }};

    ShownTrend() {
        trend.setStartRecording(false);
        trend.recorder().setInterval(100);
        trend.recorder().setMaxRecords(300000);
        trend.recorder().setGridXPixel(75);
        trend.recorder().setLimitUpper({100, 0x800000, true, true});
        trend.recorder().setLimitLower({10, 0x800000, false, false});
        trend.setColorGrid(QColor(0x80, 0x80, 0x80));
        trend.setCaption(QStringLiteral("Log Chart"));
        trend.resize(870, 373);
        trend.show();
    }
    void moveMouse(QPoint pos) {
        QMouseEvent move(QEvent::MouseMove, pos, trend.mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&trend, &move);
    }
    QPoint plotPoint(int column, int row) const { return trend.plotRect().topLeft() + QPoint(column, row); }
};

TEST(TrendWidget, RecordsOnTheClocksRhythm) {
    FakeTicks ticks;
    ShownTrend t;
    QSignalSpy intervals(&t.trend, &TAbTrend::interval);
    t.trend.setStartRecording(true);
    EXPECT_TRUE(TAbFlashTimer::instance().isRegistered(&t.trend));
    ticks.run(30000);
    // Due every 100 ms although the base ticks come every 16: a tick that is
    // up to 15 ms late does not push the following ones back.
    EXPECT_EQ(t.trend.store().count(), 300);
    EXPECT_EQ(intervals.count(), 300);

    ticks.now += 5000;  // the GUI thread was stuck for 5 s
    ticks.run(16);
    EXPECT_EQ(t.trend.store().count(), 301) << "one record for the late tick, no catching up";
    ticks.run(1000);
    EXPECT_EQ(t.trend.store().count(), 311);

    t.trend.setStartRecording(false);
    EXPECT_FALSE(TAbFlashTimer::instance().isRegistered(&t.trend));
    ticks.run(1000);
    EXPECT_EQ(t.trend.store().count(), 311);
}

TEST(TrendWidget, SaveClearLoadAndReadBackUnderTheCursor) {
    FakeTicks ticks;
    ShownTrend t;
    t.trend.Channel1().setValueTo(10000);
    t.trend.Channel1().setDigitalTo(10000);
    t.trend.Channel3().setValueFrom(-30);
    t.trend.Channel3().setValueTo(30);
    t.trend.setStartRecording(true);
    for (int i = 0; i < 400; ++i) {
        t.trend.Channel1().setValue(static_cast<float>(1000 + i));
        t.trend.Channel3().setValue(-12.5f);
        while (t.trend.store().count() == i)
            ticks.run(16);
    }
    t.trend.setStartRecording(false);
    ASSERT_EQ(t.trend.store().count(), 400);
    const auto saved = t.trend.store().records();

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("run1.KVL"));
    ASSERT_EQ(t.trend.SaveToFile(file), 0);
    EXPECT_EQ(QFileInfo(file).size(), 400 * 24);

    t.trend.setStartRecording(true);
    t.trend.Clear();
    EXPECT_EQ(t.trend.store().count(), 0);
    EXPECT_EQ(t.trend.RecordInfo().TotalRecords, 0);
    EXPECT_TRUE(TAbFlashTimer::instance().isRegistered(&t.trend)) << "Clear keeps recording on";

    ASSERT_EQ(t.trend.LoadFromFile(file), 0);
    EXPECT_FALSE(t.trend.StartRecording());
    EXPECT_FALSE(TAbFlashTimer::instance().isRegistered(&t.trend));
    ASSERT_EQ(t.trend.store().count(), 400);
    for (int i = 0; i < 400; ++i) {
        ASSERT_EQ(t.trend.store().at(i).time, saved[i].time) << i;
        ASSERT_EQ(t.trend.store().at(i).digits, saved[i].digits) << i;
    }
    EXPECT_EQ(t.trend.recorder().firstShown(), 0) << "a loaded log shows its oldest records";
    EXPECT_EQ(t.trend.RecordInfo().TotalRecords, 400);

    QSignalSpy cursor(&t.trend, &TAbTrend::newCursorPos);
    t.moveMouse(t.plotPoint(10, 20));
    ASSERT_EQ(cursor.count(), 1);
    const kvr::TVAtCursor& v = t.trend.ValueAtCursor();
    EXPECT_TRUE(v.DataValid);
    EXPECT_EQ(v.RecordNo, 10);
    EXPECT_EQ(v.Time, saved[10].time);
    EXPECT_FLOAT_EQ(v.ValueCh1, 1010);
    EXPECT_FLOAT_EQ(v.ValueCh3, -12.48f);

    t.moveMouse(QPoint(1, 1));  // off the plot
    EXPECT_EQ(cursor.count(), 2);
    EXPECT_FALSE(t.trend.ValueAtCursor().DataValid);
    EXPECT_EQ(t.trend.LoadFromFile(dir.filePath(QStringLiteral("missing.KVL"))), 2);
}

TEST(TrendWidget, PlotShowsLinesGridCursorAndHidesAChannel) {
    ShownTrend t;
    t.trend.Channel1().setValue(50);  // half of 0..100
    for (int n = 2; n <= 8; ++n)
        t.trend.channel(n).setVisible(false);
    for (int i = 0; i < 100; ++i)
        t.trend.AddRecord();

    const QImage& plot = t.trend.plotImage();
    ASSERT_FALSE(plot.isNull());
    const int mid = t.trend.recorder().channelRow(1, 500);
    EXPECT_NEAR(mid, plot.height() / 2, 1);
    EXPECT_EQ(plot.pixelColor(50, mid), QColor(Qt::red)) << "channel 1's line";
    // Beyond the newest record only the background and the dotted grid (whose
    // dots fall where the font's scale width puts them) may show.
    EXPECT_NE(plot.pixelColor(150, mid), QColor(Qt::red)) << "no line beyond the newest record";
    EXPECT_NE(plot.pixelColor(151, mid), QColor(Qt::red));

    QImage shot = t.trend.grab().toImage();
    const QPoint at = t.plotPoint(50, mid);
    EXPECT_EQ(shot.pixelColor(at * shot.devicePixelRatio()), QColor(Qt::red))
        << "the plot reaches the screen";

    // Cursor line: lime combined as NOT(lime AND plot) turns black to white.
    const int quietRow = mid + 7;
    ASSERT_EQ(plot.pixelColor(30, quietRow), QColor(Qt::black));
    t.moveMouse(t.plotPoint(30, quietRow));
    shot = t.trend.grab().toImage();
    EXPECT_EQ(shot.pixelColor(t.plotPoint(30, quietRow)), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(t.plotPoint(31, quietRow)), QColor(Qt::black));

    t.trend.Channel1().setVisible(false);
    EXPECT_EQ(t.trend.plotImage().pixelColor(50, mid), QColor(Qt::black)) << "a hidden channel is not drawn";
}

TEST(TrendWidget, MoveXWaitsForTheTrendToBeVisible) {
    double days = 45000.0;
    TAbTrend hidden(nullptr, [&] { return days += 0.001; });
    hidden.setStartRecording(false);
    hidden.recorder().setGridXPixel(75);
    hidden.resize(400, 200);
    for (int i = 0; i < 1000; ++i)
        hidden.AddRecord();
    const int first = hidden.recorder().firstShown();
    hidden.MoveX(-100);
    EXPECT_EQ(hidden.recorder().firstShown(), first);
    EXPECT_TRUE(hidden.recorder().Flow());
    hidden.show();
    hidden.MoveX(-100);
    EXPECT_EQ(hidden.recorder().firstShown(), first - 100);
    EXPECT_FALSE(hidden.recorder().Flow());
}


TEST(TrendWidget, PagingAndTrimmingMoveThePlotAsAFreshDrawingWouldShowIt) {
    // 75: the program's grid; 40: one that is no whole number of grid dots.
    for (const int grid : {75, 40}) {
        SCOPED_TRACE(grid);
        ShownTrend t;
        t.trend.recorder().setGridXPixel(grid);
        t.trend.recorder().setMaxRecords(1000);
        QSignalSpy trims(&t.trend, &TAbTrend::maxRecords);
        int pages = 0, compared = 0;
        for (int i = 0; i < 2600; ++i) {
            // Eight lines in bands of their own, so the order they are drawn
            // in cannot matter, each rising or falling less than a pixel a
            // column, so its pixels do not depend on how it is split into pieces.
            for (int n = 1; n <= 8; ++n)
                t.trend.channel(n).setValue(static_cast<float>(11 * n - 4 + 3 * std::sin(i * 0.004 * n + n)));
            const int first = t.trend.recorder().firstShown();
            t.trend.AddRecord();
            pages += t.trend.recorder().firstShown() != first;
            if (i % 250 != 249) continue;
            const QImage moved = t.trend.plotImage().copy();
            t.trend.fullRepaint();  // everything drawn afresh
            QPoint at;
            ASSERT_EQ(differingPixels(moved, t.trend.plotImage(), at), 0)
                << "after " << i + 1 << " records, first at column " << at.x() << " row " << at.y();
            ++compared;
        }
        EXPECT_GE(trims.count(), 15);
        EXPECT_GE(pages, 40);
        EXPECT_EQ(compared, 10);
    }
}

}  // namespace
