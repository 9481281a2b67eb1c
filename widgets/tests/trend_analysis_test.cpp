// The trend recorder as an analysis tool, offscreen: the chart keys, Ctrl
// and the wheel, the reference cursor by mouse, the hint kept off the data,
// and the plot at other time scales: a break seen through a column full of
// lines, and a drawing built record by record equal to one drawn afresh.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>
#include <random>

#include "image_compare.h"
#include "widgets/ab_trend.h"

namespace {

// A chart as the log chart tab sets it up, shown offscreen, with `records`
// records of a slow wave on channel 1 (0..10000 digits, 1 rpm a digit).
struct Chart {
    double days = 45658.5;
    TAbTrend trend{nullptr, [this] { return days += 0.1 / 86400; }};

    explicit Chart(int records = 0) {
        trend.setStartRecording(false);
        trend.recorder().setInterval(100);
        trend.recorder().setMaxRecords(300000);
        trend.recorder().setGridXPixel(75);
        trend.recorder().setLimitUpper({100, 0x800000, true, true});
        trend.setColorGrid(QColor(0x80, 0x80, 0x80));
        trend.setColorSeparator(QColor(0xC0, 0xC0, 0xC0));
        trend.setCaption(QStringLiteral("Log Chart"));
        trend.Channel1().setValueTo(10000);
        trend.Channel1().setDigitalTo(10000);
        trend.resize(870, 373);
        trend.show();
        for (int i = 0; i < records; ++i) add(static_cast<float>(5000 + 4000 * std::sin(i * 0.01)));
    }
    void add(float rpm) {
        trend.Channel1().setValue(rpm);
        trend.AddRecord();
    }
    kvr::TrendRecorder& r() { return trend.recorder(); }
    bool newestInView() {
        const int64_t column = r().timeScale().columnOf(r().store().count() - 1 - r().firstShown());
        return column >= 0 && column <= r().plotColumns();
    }
    QPoint plotPoint(int column, int row = 20) const { return trend.plotRect().topLeft() + QPoint(column, row); }
    void moveMouse(QPoint pos) { QTest::mouseMove(&trend, pos); }
    void wheel(QPoint pos, int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(pos, trend.mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&trend, &event);
    }
};

TEST(TrendChartKeys, MoveZoomJumpAndFollow) {
    Chart c(3000);
    ASSERT_TRUE(c.r().Flow());
    QSignalSpy following(&c.trend, &TAbTrend::followingChanged);
    QSignalSpy scales(&c.trend, &TAbTrend::timeScaleChanged);
    const int start = c.r().firstShown();

    QTest::keyClick(&c.trend, Qt::Key_Left);
    EXPECT_EQ(c.r().firstShown(), start - 100) << "as one \"<<\"";
    EXPECT_FALSE(c.r().Flow());
    ASSERT_EQ(following.count(), 1);
    EXPECT_FALSE(following.at(0).at(0).toBool());
    QTest::keyClick(&c.trend, Qt::Key_Left);
    QTest::keyClick(&c.trend, Qt::Key_Right);
    EXPECT_EQ(c.r().firstShown(), start - 100);
    EXPECT_EQ(following.count(), 1) << "moving on while moved reports nothing new";

    QTest::keyClick(&c.trend, Qt::Key_Home);
    EXPECT_EQ(c.r().firstShown(), 0) << "the oldest record";

    const int oneToOne = c.r().timeZoomLevel();
    QTest::keyClick(&c.trend, Qt::Key_Minus);
    EXPECT_EQ(c.r().timeScale().recordsPerColumn, 2);
    QTest::keyClick(&c.trend, Qt::Key_Minus);
    EXPECT_EQ(c.r().timeScale().recordsPerColumn, 5);
    QTest::keyClick(&c.trend, Qt::Key_Right);
    EXPECT_EQ(c.r().firstShown(), 0) << "the whole log is in view at 5 records a column: moving on stops at its end";
    QTest::keyClick(&c.trend, Qt::Key_Plus, Qt::ShiftModifier);
    QTest::keyClick(&c.trend, Qt::Key_Equal);  // "+" without Shift
    QTest::keyClick(&c.trend, Qt::Key_Plus);
    EXPECT_EQ(c.r().timeZoomLevel(), oneToOne - 1);
    EXPECT_EQ(c.r().timeScale().pixelsPerRecord, 2);
    EXPECT_EQ(scales.count(), 5);

    QTest::keyClick(&c.trend, Qt::Key_End);
    EXPECT_TRUE(c.r().Flow());
    EXPECT_TRUE(c.newestInView());
    ASSERT_EQ(following.count(), 2);
    EXPECT_TRUE(following.at(1).at(0).toBool());
    for (int i = 0; i < 500; ++i) {
        c.add(1000);
        ASSERT_TRUE(c.newestInView()) << "following again, record " << i;
    }

    ASSERT_TRUE(c.trend.setReferenceAt(10));
    QTest::keyClick(&c.trend, Qt::Key_Escape);
    EXPECT_FALSE(c.r().hasReference()) << "Esc drops the reference";
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(&c.trend, &other);
    EXPECT_FALSE(other.isAccepted()) << "keys the chart has no use for go on to its parent";
}

TEST(TrendChartMouse, CtrlWheelZoomsRoundThePointerAndClicksSetTheReference) {
    Chart c(3000);
    c.trend.MoveX(-1000);
    const int first = c.r().firstShown();
    const QPoint at = c.plotPoint(300);
    c.moveMouse(at);
    const int underPointer = c.trend.ValueAtCursor().RecordNo;
    ASSERT_EQ(underPointer, first + 300);

    c.wheel(at, -120, Qt::NoModifier);
    EXPECT_EQ(c.r().timeScale(), kvr::TimeScale{}) << "the wheel alone does not zoom";
    c.wheel(at, -60, Qt::ControlModifier);
    EXPECT_EQ(c.r().timeScale(), kvr::TimeScale{}) << "half a notch";
    c.wheel(at, -60, Qt::ControlModifier);
    EXPECT_EQ(c.r().timeScale().recordsPerColumn, 2) << "a whole notch towards the user zooms out";
    EXPECT_EQ(c.r().firstShown() + 2 * 300, underPointer) << "the record under the pointer stays there";
    EXPECT_EQ(c.trend.ValueAtCursor().RecordNo, underPointer) << "and the cursor reads it again";
    c.wheel(at, 240, Qt::ControlModifier);
    EXPECT_EQ(c.r().timeScale().pixelsPerRecord, 2) << "two notches away zoom in twice";
    EXPECT_EQ(c.r().firstShown() + 300 / 2, underPointer);
    c.moveMouse(at + QPoint(1, 0));
    EXPECT_EQ(c.trend.ValueAtCursor().RecordNo, underPointer) << "a record is two columns wide";

    // A click marks the reference; the line shows where it is.
    QTest::mouseClick(&c.trend, Qt::LeftButton, Qt::NoModifier, c.plotPoint(101));
    ASSERT_TRUE(c.r().hasReference());
    EXPECT_EQ(c.r().referenceRecord(), c.r().firstShown() + 50);
    EXPECT_EQ(c.r().referenceColumn(), 100) << "a record's two columns start at the even one";
    c.moveMouse(c.plotPoint(400, 5));
    QImage shot = c.trend.grab().toImage();
    int reference = 0;
    for (int y = 0; y < c.trend.plotRect().height(); ++y)
        reference += shot.pixelColor(c.plotPoint(100, y)) == c.trend.ColorReferenceLine();
    EXPECT_GT(reference, c.trend.plotRect().height() / 3) << "a dashed line down the plot";

    QTest::mouseClick(&c.trend, Qt::LeftButton, Qt::NoModifier, QPoint(c.trend.width() / 2, 3));
    EXPECT_EQ(c.r().referenceColumn(), 100) << "a click off the plot leaves it";
    QTest::mouseClick(&c.trend, Qt::RightButton, Qt::NoModifier, c.plotPoint(10));
    EXPECT_FALSE(c.r().hasReference()) << "a right click drops it";
}

TEST(TrendChartHint, ShowsOverTheCaptionOnly) {
    Chart c(300);
    c.trend.setToolTip(QStringLiteral("LogChart"));
    // The tip shown, or empty once it has gone (a hidden tip fades out).
    auto help = [&](QPoint pos) {
        QHelpEvent event(QEvent::ToolTip, pos, c.trend.mapToGlobal(pos));
        QCoreApplication::sendEvent(&c.trend, &event);
        for (int ms = 0; ms < 2000 && QToolTip::isVisible() && QToolTip::text().isEmpty(); ms += 20)
            QTest::qWait(20);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    auto hidden = [] {
        for (int ms = 0; ms < 2000 && QToolTip::isVisible(); ms += 20) QTest::qWait(20);
        return !QToolTip::isVisible();
    };
    EXPECT_EQ(help(c.plotPoint(100, 100)), QString()) << "not over the data";
    EXPECT_EQ(help(c.trend.captionRect().center()), QStringLiteral("LogChart"));
    help(c.plotPoint(150, 30));
    EXPECT_TRUE(hidden()) << "gone again over the data";
    EXPECT_TRUE(c.trend.plotRect().intersected(c.trend.captionRect()).isEmpty());
}

TEST(TrendChartDrawing, ABreakShowsThroughAColumnFullOfLines) {
    // Channel 1 swings between the foot and the top of its scale from one
    // record to the next, so at 10 records a column every column is full
    // of red from top to bottom.
    Chart c;
    for (int n = 2; n <= 8; ++n) c.trend.channel(n).setVisible(false);
    for (int i = 0; i < 400; ++i) {
        c.add(i % 2 ? 10000.0f : 0.0f);
        if (i == 200) {
            c.r().setStartRecording(true);
            c.r().setStartRecording(false);
        }
    }
    c.r().setTimeZoomLevel(kvr::oneRecordPerColumnLevel() + 3, 0);
    const QImage& plot = c.trend.plotImage();
    const int span = c.r().plotSpan();
    const int breakColumn = 20;  // records 200..209 hold the five separators
    ASSERT_TRUE(c.r().store().at(202).isSeparator());
    EXPECT_EQ(plot.pixelColor(breakColumn, span / 2), QColor(Qt::red)) << "the data stays visible";
    EXPECT_EQ(plot.pixelColor(breakColumn - 1, 0), QColor(Qt::red));
    EXPECT_EQ(plot.pixelColor(breakColumn, 0), c.trend.ColorSeparator()) << "the break's mark at the top";
    EXPECT_EQ(plot.pixelColor(breakColumn, span), c.trend.ColorSeparator()) << "and at the bottom";

    // The same when the records come one by one after the break.
    Chart d;
    for (int n = 2; n <= 8; ++n) d.trend.channel(n).setVisible(false);
    d.r().setTimeZoomLevel(kvr::oneRecordPerColumnLevel() + 3, 0);
    for (int i = 0; i < 400; ++i) {
        d.add(i % 2 ? 10000.0f : 0.0f);
        if (i == 200) {
            d.r().setStartRecording(true);
            d.r().setStartRecording(false);
        }
    }
    EXPECT_EQ(d.trend.plotImage().pixelColor(breakColumn, 0), d.trend.ColorSeparator());
    EXPECT_EQ(d.trend.plotImage().pixelColor(breakColumn, span), d.trend.ColorSeparator());
}

TEST(TrendChartDrawing, RecordByRecordAtOtherScalesDrawsWhatAFreshDrawingShows) {
    // 5 records a column (a column fills over several records), 2 pixels a
    // record (the view pages by whole grid columns of 150 pixels), and one
    // record a column with lines steeper than the other test's.
    for (const int level : {kvr::oneRecordPerColumnLevel() + 2, 1, kvr::oneRecordPerColumnLevel()}) {
        Chart c;
        c.r().setTimeZoomLevel(level, 0);
        SCOPED_TRACE(c.r().timeScale().text());
        c.r().setMaxRecords(2000);
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> noise(-40, 40);
        int compared = 0;
        for (int i = 0; i < 6000; ++i) {
            // Eight lines in bands of their own, jumping within the band, so
            // the low-to-high strokes are long and the drawing order of the
            // channels cannot matter.
            for (int n = 1; n <= 8; ++n)
                c.trend.channel(n).setValue(static_cast<float>(12 * n - 6 + noise(rng) / 10.0));
            c.trend.Channel1().setValue(static_cast<float>(600 + noise(rng) * 10));
            if (i % 1500 == 700) {
                c.r().setStartRecording(true);
                c.r().setStartRecording(false);
            }
            c.trend.AddRecord();
            if (i % 500 != 499) continue;
            const QImage built = c.trend.plotImage().copy();
            c.trend.fullRepaint();
            QPoint at;
            ASSERT_EQ(differingPixels(built, c.trend.plotImage(), at), 0)
                << "after " << i + 1 << " records, first at column " << at.x() << " row " << at.y();
            ++compared;
        }
        EXPECT_EQ(compared, 12);
    }
}

}  // namespace
