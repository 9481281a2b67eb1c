// The overview strip: the log mapped onto its columns both ways, the chart's
// view as its window, the envelope against a plain scan of the records, and
// the strip driven by the mouse under a chart, offscreen.
#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <cmath>
#include <random>

#include "widgets/ab_trend.h"
#include "widgets/model/trend_overview.h"
#include "widgets/trend_overview_strip.h"

namespace {

using kvr::OverviewGrip;
using kvr::OverviewMap;

TEST(OverviewMap, EveryColumnReadsBackAsItselfAndEveryRecordHasAColumn) {
    for (int64_t records : {1, 7, 499, 500, 501, 1000, 2000000}) {
        const OverviewMap map{records, 500};
        for (int c = 0; c < map.width; ++c) {
            const int64_t r = map.recordAt(c);
            ASSERT_GE(r, 0);
            ASSERT_LT(r, records);
            // A column reads back as the record it holds, and that record's
            // column is this one or, where a record takes several columns,
            // the first of them.
            ASSERT_LE(map.columnOf(r), c) << records << " records, column " << c;
            if (records >= map.width) {
                ASSERT_EQ(map.columnOf(r), c) << records << " records";
            }
        }
        EXPECT_EQ(map.columnOf(0), 0);
        EXPECT_EQ(map.columnOf(records - 1), records >= map.width ? map.width - 1 : (records - 1) * 500 / records);
        // The columns' record ranges tile the log with nothing left over.
        EXPECT_EQ(map.firstRecordIn(0), 0);
        EXPECT_EQ(map.firstRecordIn(map.width), records);
    }
}

TEST(OverviewMap, TheWindowCoversTheViewAndTheWholeLogFillsTheStrip) {
    const OverviewMap map{2000000, 800};  // 2500 records a column
    kvr::OverviewWindow w = kvr::overviewWindow(map, 0, 1999999);
    EXPECT_EQ(w.left, 0);
    EXPECT_EQ(w.right, 799);
    // 870 records at one a pixel: a sliver of one column.
    w = kvr::overviewWindow(map, 1000000, 1000869);
    EXPECT_EQ(w.left, 400);
    EXPECT_EQ(w.right, 400);
    EXPECT_EQ(w.width(), 1);
    // A short log: 10 records over 800 columns, each record 80 columns.
    const OverviewMap shortLog{10, 800};
    w = kvr::overviewWindow(shortLog, 2, 4);
    EXPECT_EQ(w.left, 160);
    EXPECT_EQ(w.right, 399);
    EXPECT_TRUE(kvr::overviewWindow(shortLog, 5, 4).empty());
}

TEST(OverviewMap, APressGripsAnEdgeTheWindowOrJumps) {
    const kvr::OverviewWindow wide{100, 200};
    EXPECT_EQ(kvr::overviewGripAt(wide, 98, 3), OverviewGrip::leftEdge);
    EXPECT_EQ(kvr::overviewGripAt(wide, 103, 3), OverviewGrip::leftEdge);
    EXPECT_EQ(kvr::overviewGripAt(wide, 150, 3), OverviewGrip::move);
    EXPECT_EQ(kvr::overviewGripAt(wide, 202, 3), OverviewGrip::rightEdge);
    EXPECT_EQ(kvr::overviewGripAt(wide, 96, 3), OverviewGrip::jump);
    EXPECT_EQ(kvr::overviewGripAt(wide, 500, 3), OverviewGrip::jump);
    // One column wide: inside moves it, the edges are just outside.
    const kvr::OverviewWindow narrow{400, 400};
    EXPECT_EQ(kvr::overviewGripAt(narrow, 400, 3), OverviewGrip::move);
    EXPECT_EQ(kvr::overviewGripAt(narrow, 398, 3), OverviewGrip::leftEdge);
    EXPECT_EQ(kvr::overviewGripAt(narrow, 402, 3), OverviewGrip::rightEdge);
    EXPECT_EQ(kvr::overviewGripAt(kvr::OverviewWindow{}, 10, 3), OverviewGrip::jump);
}

kvr::TrendStore randomStore(int records, unsigned seed) {
    std::mt19937 rng(seed);
    kvr::TrendStore store;
    for (int i = 0; i < records; ++i) {
        kvr::TrendRecord r;
        r.time = 45658.5 + i / 864000.0;
        for (auto& d : r.digits) d = static_cast<uint16_t>(rng() % 1000);
        store.append(r);
        if (i % 997 == 500) store.appendSeparators();
    }
    return store;
}

// The envelope a plain scan of each column's records gives.
std::vector<kvr::OverviewColumn> scanned(const kvr::TrendStore& store, int width) {
    const OverviewMap map{store.count(), width};
    std::vector<kvr::OverviewColumn> out(static_cast<std::size_t>(width));
    for (int c = 0; c < width; ++c) {
        int64_t from = map.firstRecordIn(c), to = map.firstRecordIn(c + 1);
        if (from >= to) to = (from = map.recordAt(c)) + 1;
        kvr::OverviewColumn& col = out[static_cast<std::size_t>(c)];
        for (int64_t i = from; i < to; ++i) {
            const kvr::TrendRecord& r = store.at(static_cast<int>(i));
            if (r.isSeparator()) {
                col.separator = true;
                continue;
            }
            for (std::size_t k = 0; k < r.digits.size(); ++k) {
                col.low[k] = col.samples ? std::min(col.low[k], r.digits[k]) : r.digits[k];
                col.high[k] = col.samples ? std::max(col.high[k], r.digits[k]) : r.digits[k];
            }
            col.samples = true;
        }
    }
    return out;
}

void expectSameColumns(const std::vector<kvr::OverviewColumn>& got, const std::vector<kvr::OverviewColumn>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t c = 0; c < got.size(); ++c) {
        ASSERT_EQ(got[c].samples, want[c].samples) << "column " << c;
        ASSERT_EQ(got[c].separator, want[c].separator) << "column " << c;
        ASSERT_EQ(got[c].low, want[c].low) << "column " << c;
        ASSERT_EQ(got[c].high, want[c].high) << "column " << c;
    }
}

TEST(OverviewEnvelope, MatchesAPlainScanGrownRecordByRecordOrReplaced) {
    const kvr::TrendStore store = randomStore(20000, 1);
    kvr::OverviewEnvelope whole;
    whole.sync(store);
    for (int width : {1, 63, 500, 870, 25000}) expectSameColumns(whole.columns(store, width), scanned(store, width));

    // Grown a few records at a time, as a recording is.
    kvr::TrendStore growing;
    kvr::OverviewEnvelope grown;
    for (int i = 0; i < store.count(); ++i) {
        growing.append(store.at(i));
        if (i % 777 == 0 || i == store.count() - 1) {
            grown.sync(growing);
            expectSameColumns(grown.columns(growing, 300), scanned(growing, 300));
        }
    }
    // A different log in its place (opened, or erased and recorded afresh)
    // is summarised again, also when it is longer.
    const kvr::TrendStore other = randomStore(30000, 2);
    grown.sync(other);
    expectSameColumns(grown.columns(other, 640), scanned(other, 640));
    kvr::TrendStore empty;
    grown.sync(empty);
    EXPECT_EQ(grown.summarised(), 0);
}

// A chart with the strip under it, as the log chart tab places them.
struct ChartWithStrip {
    double days = 45658.5;
    QWidget page;
    TAbTrend* chart = new TAbTrend(&page, [this] { return days += 0.1 / 86400; });
    TrendOverviewStrip* strip = new TrendOverviewStrip(chart, &page);

    explicit ChartWithStrip(int records) {
        chart->setStartRecording(false);
        chart->recorder().setMaxRecords(300000);
        chart->Channel1().setValueTo(10000);
        chart->Channel1().setDigitalTo(10000);
        page.resize(870, 420);
        chart->setGeometry(0, 0, 870, 373);
        strip->setGeometry(0, 376, 870, 36);
        page.show();
        for (int i = 0; i < records; ++i) {
            chart->Channel1().setValue(static_cast<float>(5000 + 4000 * std::sin(i * 0.01)));
            chart->AddRecord();
        }
    }
    kvr::TrendRecorder& r() { return chart->recorder(); }
    QPoint at(int column) const { return QPoint(strip->stripRect().left() + column, strip->height() / 2); }
};

TEST(OverviewStrip, LinesUpWithThePlotAndDrawsEachShownChannel) {
    ChartWithStrip c(6000);
    EXPECT_EQ(c.strip->stripRect().left() + c.strip->x(), c.chart->plotRect().left() + c.chart->x());
    EXPECT_EQ(c.strip->stripRect().width(), c.chart->plotRect().width());
    for (int n = 2; n <= 8; ++n) c.chart->channel(n).setVisible(false);
    const QImage image = c.strip->envelopeImage();
    ASSERT_EQ(image.width(), c.chart->plotRect().width());
    // Channel 1's wave spans 1000..9000 of 10000: its colour is in every
    // column, and nowhere near the strip's top or bottom.
    const QRgb colour = QColor(
        (c.chart->Channel1().Color() >> 16) & 0xFF, (c.chart->Channel1().Color() >> 8) & 0xFF,
        c.chart->Channel1().Color() & 0xFF).rgb();
    int columnsWithTrace = 0;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) == colour) {
                ++columnsWithTrace;
                break;
            }
        }
        ASSERT_NE(image.pixel(x, 0), colour) << x;
        ASSERT_NE(image.pixel(x, image.height() - 1), colour) << x;
    }
    EXPECT_EQ(columnsWithTrace, image.width());
    // Hidden, it is gone from the strip.
    c.chart->Channel1().setVisible(false);
    const QImage hidden = c.strip->envelopeImage();
    for (int x = 0; x < hidden.width(); ++x)
        for (int y = 0; y < hidden.height(); ++y) ASSERT_NE(hidden.pixel(x, y), colour);
}

TEST(OverviewStrip, AClickCentresTheChartThereAndADragMovesTheView) {
    ChartWithStrip c(6000);
    const OverviewMap map = c.strip->map();
    // A click a quarter of the way along: the record there in mid-plot.
    QTest::mouseClick(c.strip, Qt::LeftButton, Qt::NoModifier, c.at(map.width / 4));
    EXPECT_FALSE(c.r().Flow());
    const kvr::RecordSpan span = c.chart->visibleRecords();
    const int64_t clicked = map.recordAt(map.width / 4);
    EXPECT_NEAR((span.first + span.last) / 2.0, static_cast<double>(clicked), 2.0);
    kvr::OverviewWindow before = c.strip->window();
    EXPECT_LE(before.left, map.width / 4);
    EXPECT_GE(before.right, map.width / 4);

    // Dragging the window 50 columns right moves the view by their records.
    const int grab = (before.left + before.right) / 2;
    QTest::mousePress(c.strip, Qt::LeftButton, Qt::NoModifier, c.at(grab));
    QTest::mouseMove(c.strip, c.at(grab + 50));
    QTest::mouseRelease(c.strip, Qt::LeftButton, Qt::NoModifier, c.at(grab + 50));
    EXPECT_EQ(c.chart->visibleRecords().first, span.first + 50 * map.records / map.width);
    EXPECT_EQ(c.strip->window().left, before.left + 50);

    // Dragged past the strip's end, the view stops with the newest record at the right.
    before = c.strip->window();
    QTest::mousePress(c.strip, Qt::LeftButton, Qt::NoModifier, c.at((before.left + before.right) / 2));
    QTest::mouseMove(c.strip, c.at(map.width + 400));
    QTest::mouseRelease(c.strip, Qt::LeftButton, Qt::NoModifier, c.at(map.width + 400));
    EXPECT_EQ(c.chart->visibleRecords().last, 5999);
}

TEST(OverviewStrip, DraggingAnEdgeZoomsWithTheOtherEdgeHeld) {
    ChartWithStrip c(6000);
    c.chart->showOldest();
    const OverviewMap map = c.strip->map();
    const kvr::OverviewWindow w = c.strip->window();
    const int heldFirst = c.chart->visibleRecords().first;
    // The right edge out to the strip's middle: about 3000 records in view.
    QTest::mousePress(c.strip, Qt::LeftButton, Qt::NoModifier, c.at(w.right));
    QTest::mouseMove(c.strip, c.at(map.width / 2));
    QTest::mouseRelease(c.strip, Qt::LeftButton, Qt::NoModifier, c.at(map.width / 2));
    kvr::RecordSpan span = c.chart->visibleRecords();
    EXPECT_EQ(span.first, heldFirst) << "the left edge held";
    EXPECT_GE(span.last - span.first + 1, map.recordAt(map.width / 2) - heldFirst) << "at least the span dragged out";
    EXPECT_GT(c.r().timeScale().recordsPerColumn, 1) << "zoomed out";

    // The left edge in from the right end: the newest record held at the right.
    c.chart->showFrom(6000);
    const kvr::OverviewWindow end = c.strip->window();
    const int heldLast = c.chart->visibleRecords().last;
    QTest::mousePress(c.strip, Qt::LeftButton, Qt::NoModifier, c.at(end.left));
    QTest::mouseMove(c.strip, c.at(end.left + (end.right - end.left) * 3 / 4));
    QTest::mouseRelease(c.strip, Qt::LeftButton, Qt::NoModifier, c.at(end.left + (end.right - end.left) * 3 / 4));
    span = c.chart->visibleRecords();
    EXPECT_EQ(span.last, heldLast) << "the right edge held";
    EXPECT_LT(span.last - span.first, 3000) << "zoomed in";
}

}  // namespace
