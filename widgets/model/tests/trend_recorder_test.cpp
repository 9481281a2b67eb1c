// The trend recorder's rules without a screen: trimming and paging, the
// bookkeeping, separators, relative digits, property ranges, zoom, MoveX,
// the cursor read-out, the drawing plan and the pixel arithmetic.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "widgets/model/trend_geometry.h"
#include "widgets/model/trend_recorder.h"

namespace kvr {
namespace {

// A recorder on a clock that advances by a tenth of a second per reading,
// with recording off and a plot 200 columns by 101 rows.
struct Fixture {
    double clock = 45000.0;
    TrendRecorder trend{[this] { return clock += 0.1 / 86400; }};
    std::vector<std::pair<bool, int>> registrations;
    int recNoChanged = 0;

    Fixture() {
        trend.onClockRegistration = [this](bool on, int ms) { registrations.emplace_back(on, ms); };
        trend.onRecNoChanged = [this] { ++recNoChanged; };
        trend.setStartRecording(false);
        trend.setPlotSize(200, 101);
        registrations.clear();
    }
    void add(int n) {
        for (int i = 0; i < n; ++i)
            trend.AddRecord();
    }
};

TEST(TrendRecorder, TrimsAWholeGridColumnOnceTheStoreIsFull) {
    Fixture f;
    f.trend.setMaxRecords(300000);
    f.trend.setGridXPixel(75);
    f.add(300001);
    ASSERT_EQ(f.trend.store().count(), 300001) << "nothing is trimmed until the store exceeds MaxRecords";
    const double sixthRecord = f.trend.store().at(75).time;

    int trims = 0;
    int countWhenWarned = 0;
    f.trend.onMaxRecords = [&] {
        ++trims;
        countWhenWarned = f.trend.store().count();
    };
    f.trend.AddRecord();
    EXPECT_EQ(trims, 1);
    EXPECT_EQ(countWhenWarned, 300001) << "OnMaxRecords comes before the deletion";
    EXPECT_EQ(f.trend.store().count(), 299927);
    EXPECT_EQ(f.trend.store().at(0).time, sixthRecord) << "the 75 oldest went";
    EXPECT_EQ(f.trend.RecordInfo().TotalRecords, 299927);
    EXPECT_EQ(f.trend.firstShown() % 75, 0) << "the view still stands on a grid column";
    EXPECT_LE(f.trend.store().count() - 1, f.trend.firstShown() + 200) << "and shows the newest record";

    f.add(74);
    EXPECT_EQ(trims, 1) << "the next trim waits for another grid column of records";
    f.trend.setFlow(false);
    f.add(200);
    EXPECT_EQ(trims, 1) << "without Flow the store is not trimmed";
    EXPECT_EQ(f.trend.store().count(), 299927 + 74 + 200);
}

TEST(TrendRecorder, BookkeepingNeedsTwoRecords) {
    Fixture f;
    EXPECT_EQ(f.trend.RecordInfo().TotalRecords, 0);
    f.add(1);
    EXPECT_EQ(f.trend.RecordInfo().TotalRecords, 0) << "one record counts as none";
    EXPECT_EQ(f.trend.RecordInfo().FirstRecord, 0);
    f.add(1);
    EXPECT_EQ(f.trend.RecordInfo().TotalRecords, 2);
    EXPECT_EQ(f.trend.RecordInfo().FirstRecord, f.trend.store().at(0).time);
    EXPECT_EQ(f.trend.RecordInfo().LastRecord, f.trend.store().at(1).time);
    EXPECT_EQ(f.recNoChanged, 2);
}

TEST(TrendRecorder, ViewPagesByWholeGridColumns) {
    Fixture f;  // 200 columns
    f.trend.setGridXPixel(75);
    f.add(201);
    EXPECT_EQ(f.trend.firstShown(), 0) << "record 200 still fits at column 200";
    f.add(1);
    EXPECT_EQ(f.trend.firstShown(), 75);
    f.add(74);
    EXPECT_EQ(f.trend.firstShown(), 75) << "records 75..275 fill columns 0..200";
    f.add(1);
    EXPECT_EQ(f.trend.firstShown(), 150);
}

TEST(TrendRecorder, DigitsBelowTheRangeWrapModulo65536) {
    Fixture f;
    TChSettings& map = f.trend.channel(3);
    map.setValueFrom(-30);
    map.setValueTo(30);  // 1000 digits: 0.06 per digit
    map.setValue(-30.06f);
    EXPECT_EQ(f.trend.currentDigits()[2], 65535);
    map.setValue(-12.5f);
    f.add(1);
    map.setValue(-30.06f);
    f.add(1);
    EXPECT_EQ(f.trend.store().at(0).digits[2], 292);
    EXPECT_EQ(f.trend.store().at(1).digits[2], 65535);

    ASSERT_TRUE(f.trend.trackCursor(0, true));
    EXPECT_FLOAT_EQ(f.trend.ValueAtCursor().ValueCh3, -12.48f) << "read back on the channel's step";
    ASSERT_TRUE(f.trend.trackCursor(1, true));
    EXPECT_FLOAT_EQ(f.trend.ValueAtCursor().ValueCh3, static_cast<float>(-30 + 65535 * 0.06));
    f.trend.nextDraw();
    EXPECT_LT(f.trend.channelRow(3, 65535), 0) << "plots above the top edge";
}

TEST(TrendRecorder, OutOfRangePropertiesAreIgnored) {
    Fixture f;
    f.trend.setInterval(99);
    f.trend.setInterval2(50);
    f.trend.setMaxRecords(99);
    f.trend.setGridXPixel(29);
    f.trend.setGridYSteps(0);
    f.trend.setGridYSteps(11);
    f.trend.setAbsScaleCh(9);
    f.trend.setLeftScaleCh(-1);
    f.trend.setFillChannelNo(9);
    EXPECT_EQ(f.trend.Interval(), 1000);
    EXPECT_EQ(f.trend.Interval2(), 250);
    EXPECT_EQ(f.trend.MaxRecords(), 2000);
    EXPECT_EQ(f.trend.GridXPixel(), 60);
    EXPECT_EQ(f.trend.GridYSteps(), 10);
    EXPECT_EQ(f.trend.AbsScaleCh(), 1);
    EXPECT_EQ(f.trend.LeftScaleCh(), 0);
    EXPECT_EQ(f.trend.FillChannelNo(), 0);
    f.trend.setInterval(100);
    f.trend.setMaxRecords(100);
    f.trend.setGridXPixel(30);
    f.trend.setGridYSteps(1);
    f.trend.setAbsScaleCh(0);
    f.trend.setLeftScaleCh(8);
    EXPECT_EQ(f.trend.Interval(), 100);
    EXPECT_EQ(f.trend.MaxRecords(), 100);
    EXPECT_EQ(f.trend.GridXPixel(), 30);
    EXPECT_EQ(f.trend.GridYSteps(), 1);
    EXPECT_EQ(f.trend.AbsScaleCh(), 0);
    EXPECT_EQ(f.trend.LeftScaleCh(), 8);
    EXPECT_TRUE(f.registrations.empty()) << "an interval change while stopped touches no clock";
    EXPECT_THROW(f.trend.channel(9), std::out_of_range);
}

TEST(TrendRecorder, ZoomStepsAndStops) {
    Fixture f;
    for (int i = 0; i < 10; ++i)
        f.trend.ZoomYIn();
    EXPECT_EQ(f.trend.zoom(), 0.1f);
    EXPECT_FALSE(f.trend.ZoomYIn()) << "stays at 0.1";
    EXPECT_EQ(f.trend.zoom(), 0.1f);
    EXPECT_TRUE(f.trend.ZoomYOut());
    EXPECT_NEAR(f.trend.zoom(), 0.2f, 1e-6);
    for (int i = 0; i < 200; ++i)
        f.trend.ZoomYOut();
    EXPECT_EQ(f.trend.zoom(), 10.0f);
}

TEST(TrendRecorder, MoveXStopsFollowingAndStaysInTheData) {
    Fixture f;
    f.trend.setGridXPixel(75);
    f.add(1000);
    ASSERT_EQ(f.trend.firstShown(), 825);
    EXPECT_FALSE(f.trend.MoveX(100, false)) << "nothing while not visible";
    EXPECT_TRUE(f.trend.Flow());
    EXPECT_EQ(f.trend.firstShown(), 825);

    EXPECT_TRUE(f.trend.MoveX(100, true));
    EXPECT_EQ(f.trend.firstShown(), 925);
    EXPECT_FALSE(f.trend.Flow());
    f.trend.MoveX(100, true);
    EXPECT_EQ(f.trend.firstShown(), 924) << "past the end: GridXPixel + 1 records before it";
    f.trend.MoveX(-900, true);
    EXPECT_EQ(f.trend.firstShown(), 24);
    f.trend.MoveX(-100, true);
    EXPECT_EQ(f.trend.firstShown(), 0);
    f.add(500);
    EXPECT_EQ(f.trend.firstShown(), 0) << "the view stays where it was put";

    Fixture few;
    few.add(50);
    few.trend.MoveX(100, true);
    EXPECT_EQ(few.trend.firstShown(), 0) << "fewer records than a grid column";
}

TEST(TrendRecorder, SeparatorsMarkEachRestartOfRecording) {
    Fixture f;
    f.trend.channel(1).setValue(10);
    f.add(1);
    f.trend.setStartRecording(true);
    EXPECT_EQ(f.trend.store().count(), 1) << "no separator with a single record";
    ASSERT_EQ(f.registrations.size(), 1u);
    EXPECT_EQ(f.registrations[0], std::make_pair(true, 1000));

    f.trend.channel(1).setValue(20);
    f.add(1);
    f.trend.setStartRecording(false);
    f.trend.setStartRecording(true);
    ASSERT_EQ(f.trend.store().count(), 7);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_TRUE(f.trend.store().at(i).isSeparator()) << i;
        EXPECT_EQ(f.trend.store().at(i).digits[0], 100) << "carries the record before it";
    }
    EXPECT_EQ(f.trend.store().at(6).digits[0], 200) << "the newest record comes after them";
    EXPECT_EQ(f.trend.RecordInfo().TotalRecords, 7);

    ASSERT_TRUE(f.trend.trackCursor(3, true));
    EXPECT_FALSE(f.trend.ValueAtCursor().DataValid);
    EXPECT_EQ(f.trend.ValueAtCursor().RecordNo, 3);
    EXPECT_FLOAT_EQ(f.trend.ValueAtCursor().ValueCh1, 10);

    f.registrations.clear();
    f.trend.setInterval(100);
    EXPECT_EQ(f.trend.store().count(), 12) << "a new interval while recording is a break too";
    ASSERT_EQ(f.registrations.size(), 1u);
    EXPECT_EQ(f.registrations[0], std::make_pair(true, 100));

    f.trend.setOptions(f.trend.Options() & ~opSeparator);
    f.trend.setStartRecording(true);
    EXPECT_EQ(f.trend.store().count(), 12) << "without opSeparator";
}

TEST(TrendRecorder, CursorReadOut) {
    Fixture f;
    f.trend.channel(1).setValueTo(10000);
    f.trend.channel(1).setDigitalTo(10000);
    f.trend.channel(1).setValue(3000);
    f.add(10);
    f.trend.channel(1).setValue(1234);

    EXPECT_TRUE(f.trend.trackCursor(4, true));
    EXPECT_TRUE(f.trend.ValueAtCursor().DataValid);
    EXPECT_TRUE(f.trend.cursorShown());
    EXPECT_EQ(f.trend.ValueAtCursor().RecordNo, 4);
    EXPECT_EQ(f.trend.ValueAtCursor().Time, f.trend.store().at(4).time);
    EXPECT_FLOAT_EQ(f.trend.ValueAtCursor().ValueCh1, 3000);
    EXPECT_FALSE(f.trend.trackCursor(4, true)) << "the same column again changes nothing";

    EXPECT_TRUE(f.trend.trackCursor(50, true));
    EXPECT_FALSE(f.trend.ValueAtCursor().DataValid) << "right of the newest record";
    EXPECT_FALSE(f.trend.cursorShown());
    EXPECT_EQ(f.trend.ValueAtCursor().RecordNo, 4) << "the read-out keeps the last values";
    EXPECT_FLOAT_EQ(f.trend.ValueAtCursor().ValueCh1, 3000);

    EXPECT_FALSE(f.trend.trackCursor(-10, false)) << "outside with no line shown: nothing";
    f.trend.trackCursor(2, true);
    EXPECT_TRUE(f.trend.trackCursor(-5, false)) << "leaving the plot removes the line";
    EXPECT_FALSE(f.trend.cursorShown());
    EXPECT_FALSE(f.trend.ValueAtCursor().DataValid);

    f.trend.setStartRecording(true);  // following a recording
    f.trend.setOptions(f.trend.Options() & ~opCursorOnRec);
    EXPECT_FALSE(f.trend.trackCursor(3, true)) << "suppressed while following a recording";
    f.trend.setOptions(f.trend.Options() | opCursorOnRec);
    EXPECT_TRUE(f.trend.trackCursor(3, true));
    f.trend.setCursorLine(false);
    EXPECT_FALSE(f.trend.trackCursor(6, true));
}

TEST(TrendRecorder, ClearEmptiesAndKeepsRecording) {
    Fixture f;
    f.trend.setStartRecording(true);
    f.add(300);
    f.registrations.clear();
    f.trend.Clear();
    EXPECT_EQ(f.trend.store().count(), 0);
    EXPECT_EQ(f.trend.firstShown(), 0);
    EXPECT_EQ(f.trend.RecordInfo().TotalRecords, 0);
    EXPECT_EQ(f.trend.RecordInfo().FirstDisplayedRec, 0);
    EXPECT_EQ(f.trend.RecordInfo().LastDisplayedRec, 0);
    EXPECT_TRUE(f.trend.StartRecording());
    ASSERT_FALSE(f.registrations.empty());
    EXPECT_EQ(f.registrations.back(), std::make_pair(true, 1000)) << "registered again";
}

TEST(TrendRecorder, LoadStopsRecordingAndAppendsAfterABreak) {
    char dir[] = "/tmp/kvr_trend_load_XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/run.KVL";

    Fixture source;
    source.add(300);
    ASSERT_EQ(source.trend.SaveToFile(path), 0);

    Fixture f;
    f.trend.setStartRecording(true);
    f.add(2);
    f.trend.setOptions(f.trend.Options() | opShowLast);
    EXPECT_EQ(f.trend.LoadFromFile(path, false, true), 0);
    EXPECT_FALSE(f.trend.StartRecording());
    EXPECT_EQ(f.registrations.back(), std::make_pair(false, 1000));
    ASSERT_EQ(f.trend.store().count(), 2 + 5 + 300);
    EXPECT_TRUE(f.trend.store().at(1).isSeparator());
    EXPECT_EQ(f.trend.store().at(7).time, source.trend.store().at(0).time);
    EXPECT_EQ(f.trend.RecordInfo().TotalRecords, 307);
    EXPECT_EQ(f.trend.firstShown(), 306 - 200) << "opShowLast shows the newest records";

    f.trend.setOptions(f.trend.Options() & ~opShowLast);
    EXPECT_EQ(f.trend.LoadFromFile(path, true, true), 0);
    EXPECT_EQ(f.trend.store().count(), 300) << "clear-first";
    EXPECT_EQ(f.trend.firstShown(), 0);
    EXPECT_EQ(f.trend.LoadFromFile(path + ".missing", false, true), 2);
    EXPECT_EQ(f.trend.store().count(), 305) << "the break is made even when the file is missing";
    std::remove(path.c_str());
    ::rmdir(dir);
}

TEST(TrendRecorder, DrawPlanIsIncrementalUntilTheViewPages) {
    Fixture f;
    f.trend.setGridXPixel(75);
    TrendDrawPlan plan = f.trend.nextDraw();
    EXPECT_TRUE(plan.background);
    EXPECT_GT(plan.from, plan.to) << "nothing to draw yet";
    f.add(3);
    plan = f.trend.nextDraw();
    EXPECT_FALSE(plan.background);
    EXPECT_EQ(plan.from, 0);
    EXPECT_EQ(plan.to, 2);
    f.add(1);
    plan = f.trend.nextDraw();
    EXPECT_FALSE(plan.background);
    EXPECT_EQ(plan.from, 3);
    EXPECT_EQ(plan.to, 3) << "only the new record";
    EXPECT_EQ(f.trend.RecordInfo().LastDisplayedRec, 3);

    f.add(198);  // 202 records: pages to 75
    plan = f.trend.nextDraw();
    EXPECT_TRUE(plan.background);
    EXPECT_EQ(plan.from, 75);
    EXPECT_EQ(plan.to, 201);
    EXPECT_EQ(f.trend.RecordInfo().FirstDisplayedRec, 75);
    EXPECT_EQ(f.trend.RecordInfo().LastDisplayedRec, 201);

    f.trend.channel(2).setVisible(false);  // any setting: everything again
    plan = f.trend.nextDraw();
    EXPECT_TRUE(plan.background);
    EXPECT_EQ(plan.from, 75);
    plan = f.trend.nextDraw();
    EXPECT_GT(plan.from, plan.to);
}

TEST(TrendRecorder, PagingAndTrimmingMoveWhatIsDrawnInsteadOfRedrawingIt) {
    Fixture f;  // 200 columns
    f.trend.setGridXPixel(75);
    f.trend.setMaxRecords(300);
    auto addDrawn = [&](int n) {
        TrendDrawPlan plan;
        for (int i = 0; i < n; ++i) {
            f.trend.AddRecord();
            plan = f.trend.nextDraw();
        }
        return plan;
    };
    f.trend.nextDraw();
    TrendDrawPlan plan = addDrawn(201);  // records 0..200 on columns 0..200
    EXPECT_FALSE(plan.background);
    EXPECT_EQ(plan.from, 200);

    plan = addDrawn(1);  // 202 records: the view pages to 75
    EXPECT_TRUE(plan.background);
    EXPECT_EQ(plan.scroll, 75);
    EXPECT_EQ(plan.from, 200) << "records 75..199 moved, not drawn again; 200 was cut at the edge";
    EXPECT_EQ(plan.to, 201);
    EXPECT_EQ(f.trend.RecordInfo().FirstDisplayedRec, 75);

    plan = addDrawn(99);  // 301 records, showing from 150
    ASSERT_EQ(f.trend.firstShown(), 150);
    plan = addDrawn(1);  // trims 75: the same records, renumbered, in the same columns
    ASSERT_EQ(f.trend.store().count(), 227);
    EXPECT_EQ(f.trend.firstShown(), 75);
    EXPECT_FALSE(plan.background);
    EXPECT_EQ(plan.scroll, 0);
    EXPECT_EQ(plan.from, 226) << "only the new record";
    EXPECT_EQ(plan.to, 226);

    addDrawn(74);  // 301 records again
    f.trend.setMaxRecords(260);
    plan = addDrawn(1);  // trims 115: no whole grid columns, drawn afresh
    ASSERT_EQ(f.trend.store().count(), 187);
    EXPECT_TRUE(plan.background);
    EXPECT_EQ(plan.scroll, 0);
    EXPECT_EQ(plan.from, 0);
    EXPECT_EQ(plan.to, 186);
}

TEST(TrendGeometry, RowsLimitsGridAndScales) {
    // 101 rows: span 100. A channel of 1000 digits at zoom 1.
    const double scale = pixelScale(100, 1000);
    EXPECT_EQ(channelRow(0, scale, 1.0f, 100), 100) << "ValueFrom on the bottom row";
    EXPECT_EQ(channelRow(1000, scale, 1.0f, 100), 0) << "ValueTo on the top row";
    EXPECT_EQ(channelRow(1000, scale, 2.0f, 100), 50) << "zoom 2 shows twice the span";
    EXPECT_EQ(channelRow(250, scale, 0.5f, 100), 50);
    EXPECT_EQ(channelRow(5, scale, 1.0f, 100), 100) << "half a pixel rounds to even";
    EXPECT_EQ(channelRow(15, scale, 1.0f, 100), 98);
    EXPECT_EQ(channelRow(65535, pixelScale(100, 1), 0.1f, 100), 100 - (1 << 20)) << "far rows are pulled in";
    EXPECT_EQ(pixelScale(100, 0), 0.0);

    EXPECT_EQ(limitRow(100, 100, 1.0f), 0);
    EXPECT_EQ(limitRow(100, 100, 2.0f), 50);
    EXPECT_EQ(limitRow(10, 100, 1.0f), 90);
    EXPECT_EQ(gridRow(0, 100, 3), 0);
    EXPECT_EQ(gridRow(1, 100, 3), 33);
    EXPECT_EQ(gridRow(2, 100, 3), 67);
    EXPECT_EQ(gridRow(3, 100, 3), 100);

    TSignalSettings rpm;
    rpm.setValueTo(10000);
    rpm.setValueUnit("RPM");
    ScaleText text = scaleText(&rpm, 10, 1.0f);
    ASSERT_EQ(text.labels.size(), 11u);
    EXPECT_EQ(text.labels.front(), "10000.0") << "the top label first";
    EXPECT_EQ(text.labels[5], "5000.0");
    EXPECT_EQ(text.labels.back(), "0.0");
    EXPECT_EQ(text.unit, "RPM");
    text = scaleText(&rpm, 10, 0.5f);
    EXPECT_EQ(text.labels.front(), "5000.0") << "zoomed in, the top is half the span";

    text = scaleText(nullptr, 4, 1.5f);
    EXPECT_EQ(text.unit, "%");
    EXPECT_EQ(text.labels, (std::vector<std::string>{"150", "112.5", "75", "37.5", "0"}));
}

}  // namespace
}  // namespace kvr
