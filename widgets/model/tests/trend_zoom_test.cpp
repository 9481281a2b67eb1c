// The time axis without a screen: each column's first, lowest, highest and
// last value against a plain reading of the records, separators at every
// zoom; following the newest record again after a move; zooming round a
// column; the reference cursor; the drawing plan at other scales.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

#include "widgets/model/trend_recorder.h"
#include "widgets/model/trend_zoom.h"

namespace kvr {
namespace {

// Records of random digits, now and then a spike to an end of the range
// (65535 is a value below the channel's foot, kept modulo 65536) and a
// break of five separators.
TrendStore randomStore(std::mt19937& rng, int count) {
    TrendStore store;
    std::uniform_int_distribution<int> digit(0, 1000), spike(0, 40), pick(0, 2);
    for (int i = 0; i < count; ++i) {
        TrendRecord r;
        r.time = 45000.0 + i / 864000.0;
        for (auto& d : r.digits) {
            const int s = spike(rng);
            d = static_cast<uint16_t>(s == 0 ? 65535 : s == 1 ? 0 : s == 2 ? 10000 : digit(rng));
        }
        store.append(r);
        if (i > 0 && spike(rng) == 0 && pick(rng) == 0) store.insertSeparators(store.count() - 1);
    }
    return store;
}

// The same summary by the most direct route: put every record into the
// column its offset from the first shown record falls in, then look at
// each column's records.
std::vector<ColumnTrace> bruteForce(const TrendStore& store, int first, const TimeScale& scale, int from, int to) {
    std::map<int64_t, std::vector<int>> columns;
    for (int i = std::max(from, 0); i <= std::min(to, store.count() - 1); ++i) {
        const int64_t offset = int64_t{i} - first;
        int64_t column = 0;
        if (scale.pixelsPerRecord > 1) {
            column = offset * scale.pixelsPerRecord;
        } else {
            // The column whose records [c*k, (c+1)*k) hold the offset.
            column = offset / scale.recordsPerColumn;
            if (column * scale.recordsPerColumn > offset) --column;
        }
        columns[column].push_back(i);
    }
    std::vector<ColumnTrace> out;
    for (const auto& [column, records] : columns) {
        ColumnTrace t;
        t.column = column;
        for (int n = 0; n < kTrendChannels; ++n) {
            std::vector<uint16_t> values;
            for (int i : records) values.push_back(store.at(i).digits[n]);
            t.first[n] = values.front();
            t.last[n] = values.back();
            t.low[n] = *std::min_element(values.begin(), values.end());
            t.high[n] = *std::max_element(values.begin(), values.end());
        }
        for (int i : records) t.separator = t.separator || store.at(i).isSeparator();
        out.push_back(t);
    }
    return out;
}

TEST(TimeZoom, ColumnTracesMatchABruteForceReadingAtEveryScale) {
    std::mt19937 rng(20261208);
    const TrendStore store = randomStore(rng, 6000);
    std::uniform_int_distribution<int> anywhere(0, store.count() - 1);
    int separatorColumns = 0, spikeColumns = 0;
    for (int level = 0; level < timeScaleLevels(); ++level) {
        const TimeScale scale = timeScaleAt(level);
        SCOPED_TRACE(scale.text());
        for (int trial = 0; trial < 20; ++trial) {
            // Any first shown record, and ranges that start mid-column,
            // start left of the first shown record, or run past the end.
            const int first = anywhere(rng);
            int from = anywhere(rng) - 50, to = anywhere(rng) + 50;
            if (from > to) std::swap(from, to);
            const auto traces = traceColumns(store, first, scale, from, to);
            const auto expected = bruteForce(store, first, scale, from, to);
            ASSERT_EQ(traces.size(), expected.size()) << "first " << first << " from " << from << " to " << to;
            for (std::size_t c = 0; c < traces.size(); ++c) {
                SCOPED_TRACE(c);
                ASSERT_EQ(traces[c].column, expected[c].column);
                ASSERT_EQ(traces[c].separator, expected[c].separator);
                ASSERT_EQ(traces[c].first, expected[c].first);
                ASSERT_EQ(traces[c].low, expected[c].low);
                ASSERT_EQ(traces[c].high, expected[c].high);
                ASSERT_EQ(traces[c].last, expected[c].last);
                separatorColumns += traces[c].separator;
                spikeColumns += traces[c].low[0] == 0 || traces[c].high[0] == 65535;
            }
        }
    }
    EXPECT_GT(separatorColumns, 100) << "the data held breaks at every scale";
    EXPECT_GT(spikeColumns, 1000);
    EXPECT_TRUE(traceColumns(store, 0, timeScaleAt(5), 10, 9).empty());
    EXPECT_TRUE(traceColumns(TrendStore(), 0, timeScaleAt(5), 0, 100).empty());
}

TEST(TimeZoom, ScalesFromFourPixelsARecordToTwentyThousandRecordsAColumn) {
    const TimeScale fine = timeScaleAt(0);
    const TimeScale one = timeScaleAt(oneRecordPerColumnLevel());
    const TimeScale coarse = timeScaleAt(timeScaleLevels() - 1);
    EXPECT_EQ(fine.pixelsPerRecord, 4);
    EXPECT_EQ(timeScaleAt(1).pixelsPerRecord, 2);
    EXPECT_EQ(one, TimeScale{});
    EXPECT_EQ(timeScaleAt(oneRecordPerColumnLevel() + 1).recordsPerColumn, 2);
    EXPECT_EQ(timeScaleAt(oneRecordPerColumnLevel() + 2).recordsPerColumn, 5);
    EXPECT_EQ(timeScaleAt(oneRecordPerColumnLevel() + 3).recordsPerColumn, 10);
    EXPECT_EQ(coarse.recordsPerColumn, 20000) << "a 55-hour log at 10 records a second fits 870 columns";
    EXPECT_EQ(timeScaleAt(-3), fine) << "levels out of range are held at the ends";
    EXPECT_EQ(fine.text(), "4 pixels/record");
    EXPECT_EQ(one.text(), "1 record/pixel");
    EXPECT_EQ(coarse.text(), "20000 records/pixel");

    // Offsets left of the first shown record fall in negative columns.
    EXPECT_EQ(timeScaleAt(5).columnOf(-10), -1);
    EXPECT_EQ(timeScaleAt(5).columnOf(-11), -2);
    EXPECT_EQ(fine.recordAt(7), 1) << "a record is four columns wide";
    EXPECT_EQ(fine.recordsStartingBefore(9), 3) << "records at columns 0, 4 and 8";
    EXPECT_EQ(fine.recordsWholeBefore(9), 2);
    EXPECT_EQ(timeScaleAt(5).columnsForShift(75), -1) << "7.5 columns";
    EXPECT_EQ(timeScaleAt(5).columnsForShift(750), 75);
}

// A recorder with recording off, a plot of 200 columns by 101 rows and
// the program's grid of 75 columns.
struct Fixture {
    double clock = 45000.0;
    TrendRecorder trend{[this] { return clock += 0.1 / 86400; }};
    int followChanges = 0, referenceChanges = 0;

    Fixture() {
        trend.setStartRecording(false);
        trend.setPlotSize(200, 101);
        trend.setGridXPixel(75);
        trend.onFollowChanged = [this] { ++followChanges; };
        trend.onReferenceChanged = [this] { ++referenceChanges; };
    }
    void add(int n) {
        for (int i = 0; i < n; ++i) trend.AddRecord();
    }
    // Whether the newest record lies in the plot or the column just right of it.
    bool newestInView() const {
        const int64_t column = trend.timeScale().columnOf(trend.store().count() - 1 - trend.firstShown());
        return column >= 0 && column <= trend.plotColumns();
    }
};

TEST(TrendFollowing, LiveAfterAMoveFollowsNewRecordsAgainAndTrimsAgain) {
    Fixture f;
    f.trend.setMaxRecords(2000);
    f.add(1000);
    ASSERT_TRUE(f.newestInView());
    f.trend.MoveX(-300, true);
    EXPECT_FALSE(f.trend.Flow());
    EXPECT_EQ(f.followChanges, 1);
    const int parked = f.trend.firstShown();
    f.add(1500);
    EXPECT_EQ(f.trend.firstShown(), parked) << "a moved view stays put";
    EXPECT_EQ(f.trend.store().count(), 2500) << "and the store is not trimmed meanwhile";

    f.trend.followNewest();
    EXPECT_TRUE(f.trend.Flow());
    EXPECT_TRUE(f.trend.flowRecording() == f.trend.StartRecording());
    EXPECT_EQ(f.followChanges, 2);
    EXPECT_TRUE(f.newestInView());
    EXPECT_EQ(f.trend.firstShown() % 75, 0) << "on the grid, as if it had followed all along";
    EXPECT_GT(f.trend.firstShown(), 2500 - 1 - 200 - 75);
    for (int i = 0; i < 400; ++i) {
        f.add(1);
        ASSERT_TRUE(f.newestInView()) << "record " << f.trend.store().count();
    }
    EXPECT_LE(f.trend.store().count(), 2001 + 75) << "trimming is back with following";

    f.trend.followNewest();
    EXPECT_EQ(f.followChanges, 2) << "following already: no change to report";

    // The same at a coarse and a fine time scale.
    for (const int level : {oneRecordPerColumnLevel() + 3, 0}) {
        Fixture g;
        g.trend.setTimeZoomLevel(level, 0);
        g.add(5000);
        ASSERT_TRUE(g.newestInView());
        g.trend.MoveX(-4000, true);
        g.add(3000);
        EXPECT_FALSE(g.newestInView());
        g.trend.followNewest();
        EXPECT_TRUE(g.newestInView());
        for (int i = 0; i < 3000; ++i) {
            g.add(1);
            ASSERT_TRUE(g.newestInView()) << g.trend.timeScale().text() << " record " << i;
        }
    }
}

TEST(TrendFollowing, TimeZoomKeepsTheAnchorRecordOrTheNewestInView) {
    Fixture f;
    f.trend.setMaxRecords(300000);
    f.add(5000);
    // Following: every scale shows the newest record.
    for (int level = 0; level < timeScaleLevels(); ++level) {
        const bool differs = level != f.trend.timeZoomLevel();
        EXPECT_EQ(f.trend.setTimeZoomLevel(level, 100), differs);
        EXPECT_TRUE(f.newestInView()) << f.trend.timeScale().text();
    }
    EXPECT_FALSE(f.trend.zoomTimeOut(0)) << "no scale beyond the coarsest";

    // Not following: the record at the anchor column stays there.
    f.trend.setTimeZoomLevel(oneRecordPerColumnLevel(), 0);
    f.trend.MoveX(-2000, true);
    const int anchorColumn = 120;
    const int64_t anchor = f.trend.firstShown() + f.trend.timeScale().recordAt(anchorColumn);
    for (const int level : {oneRecordPerColumnLevel() + 2, oneRecordPerColumnLevel() + 3, 1, 0,
                            oneRecordPerColumnLevel()}) {
        f.trend.setTimeZoomLevel(level, anchorColumn);
        const TimeScale& s = f.trend.timeScale();
        EXPECT_EQ(f.trend.firstShown() + s.recordAt(anchorColumn), anchor) << s.text();
    }
    EXPECT_EQ(f.trend.firstShown() + anchorColumn, anchor) << "back at one record per column";
    EXPECT_FALSE(f.trend.Flow()) << "zooming does not resume following";

    // Zooming out near the start cannot show records before the first.
    f.trend.MoveX(-100000, true);
    f.trend.zoomTimeOut(199);
    EXPECT_EQ(f.trend.firstShown(), 0);
}

TEST(TrendFollowing, MoveXPastTheEndKeepsAGridColumnsWorthInView) {
    Fixture f;
    f.trend.setMaxRecords(300000);
    f.trend.setTimeZoomLevel(oneRecordPerColumnLevel() + 3, 0);  // 10 records a column
    f.add(30000);
    f.trend.MoveX(100000, true);
    EXPECT_EQ(f.trend.firstShown(), 30000 - 1 - 750);
    f.trend.setTimeZoomLevel(0, 0);  // 4 pixels a record
    f.trend.MoveX(100000, true);
    EXPECT_EQ(f.trend.firstShown(), 30000 - 1 - 19) << "75 columns hold 19 records' starts";
}

TEST(TrendReference, FollowsItsRecordThroughBreaksTrimsAndZoom) {
    Fixture f;
    f.trend.setMaxRecords(1000);
    f.trend.channel(1).setValueTo(10000);
    f.trend.channel(1).setDigitalTo(10000);
    for (int i = 0; i < 150; ++i) {
        f.trend.channel(1).setValue(static_cast<float>(i));
        f.add(1);
    }
    // Records 0..149 from column 0: the view has not paged yet.
    ASSERT_EQ(f.trend.firstShown(), 0);
    EXPECT_FALSE(f.trend.setReference(160)) << "no record there";
    EXPECT_FALSE(f.trend.setReference(-1));
    EXPECT_FALSE(f.trend.hasReference());
    ASSERT_TRUE(f.trend.setReference(40));
    EXPECT_EQ(f.referenceChanges, 1);
    EXPECT_EQ(f.trend.referenceRecord(), 40);
    EXPECT_EQ(f.trend.referenceColumn(), 40);
    TVAtCursor ref = f.trend.referenceValues();
    EXPECT_TRUE(ref.DataValid);
    EXPECT_FLOAT_EQ(ref.ValueCh1, 40);
    EXPECT_EQ(ref.Time, f.trend.store().at(40).time);

    // A break before it moves it with its record; a separator is no sample.
    f.trend.setStartRecording(true);
    f.trend.setStartRecording(false);
    f.trend.InsertSeparator(10);
    EXPECT_EQ(f.trend.referenceRecord(), 45);
    EXPECT_FLOAT_EQ(f.trend.referenceValues().ValueCh1, 40);
    EXPECT_FALSE(f.trend.setReference(12)) << "a separator cannot be the reference";
    EXPECT_EQ(f.trend.referenceRecord(), 45);

    f.trend.setTimeZoomLevel(oneRecordPerColumnLevel() + 2, 0);  // 5 a column
    EXPECT_EQ(f.trend.referenceColumn(), 9);
    f.trend.setTimeZoomLevel(oneRecordPerColumnLevel(), 0);

    // Trimming renumbers it, and drops it once its record has gone.
    f.add(1000 - f.trend.store().count() + 1);
    f.add(1);  // the first trim: 75 records go
    EXPECT_EQ(f.trend.store().count(), 927);
    EXPECT_FALSE(f.trend.hasReference()) << "record 45 was among the 75 oldest";
    EXPECT_EQ(f.referenceChanges, 2);

    ASSERT_TRUE(f.trend.setReference(150));
    const int record = f.trend.referenceRecord();
    const double time = f.trend.referenceValues().Time;
    f.add(75);  // the next trim
    EXPECT_EQ(f.trend.referenceRecord(), record - 75);
    EXPECT_EQ(f.trend.referenceValues().Time, time);
    EXPECT_EQ(f.trend.referenceColumn(), f.trend.referenceRecord() - f.trend.firstShown());
    f.trend.MoveX(-300, true);
    EXPECT_EQ(f.trend.referenceColumn(), std::nullopt) << "right of the view";

    f.trend.Clear();
    EXPECT_FALSE(f.trend.hasReference());
}

}  // namespace
}  // namespace kvr

namespace kvr {
namespace {

TEST(TrendDrawPlan, PagesByWholeGridColumnsAtOtherScalesToo) {
    // 5 records a column: a page of 75 columns is 375 records.
    Fixture f;
    f.trend.setTimeZoomLevel(oneRecordPerColumnLevel() + 2, 0);
    f.trend.nextDraw();
    TrendDrawPlan plan;
    for (int i = 0; i < 1005; ++i) {  // columns 0..200
        f.trend.AddRecord();
        plan = f.trend.nextDraw();
        ASSERT_FALSE(plan.background) << "record " << i << ": more records in a column draw on";
    }
    f.trend.AddRecord();  // the record of column 201: the view pages
    plan = f.trend.nextDraw();
    EXPECT_EQ(f.trend.firstShown(), 375);
    EXPECT_TRUE(plan.background);
    EXPECT_EQ(plan.scroll, 75);
    EXPECT_EQ(plan.backgroundFrom, 125);
    EXPECT_EQ(plan.from, 375 + 125 * 5) << "what stayed in view is not drawn again";
    EXPECT_EQ(plan.to, 1005);
    EXPECT_EQ(f.trend.RecordInfo().LastDisplayedRec, 1005);

    // 2 pixels a record: a page is 75 records, 150 columns.
    Fixture g;
    g.trend.setTimeZoomLevel(1, 0);
    g.trend.nextDraw();
    for (int i = 0; i < 101; ++i) {
        g.trend.AddRecord();
        plan = g.trend.nextDraw();
    }
    EXPECT_EQ(plan.from, 100);
    g.trend.AddRecord();  // record 101 starts at column 202
    plan = g.trend.nextDraw();
    EXPECT_EQ(g.trend.firstShown(), 75);
    EXPECT_EQ(plan.scroll, 150);
    EXPECT_EQ(plan.backgroundFrom, 50);
    EXPECT_EQ(plan.from, 75 + 25) << "records wholly left of column 50 stay drawn";

    // A time zoom draws everything afresh.
    g.trend.zoomTimeOut(0);
    plan = g.trend.nextDraw();
    EXPECT_EQ(plan.backgroundFrom, 0);
    EXPECT_EQ(plan.scroll, 0);
}

}  // namespace
}  // namespace kvr
