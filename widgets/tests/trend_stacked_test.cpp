// The stacked view: lanes that tile the plot, each channel's range mapped
// onto its own lane and kept inside it, its scale beside it, and the way
// back to the overlaid view, offscreen.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <set>

#include "widgets/ab_trend.h"
#include "widgets/model/trend_geometry.h"

namespace {

TEST(StackedLanes, TileThePlotTopToBottomWithGapsBetween) {
    for (int rows : {300, 301, 299, 40, 7}) {
        for (int count = 1; count <= 8; ++count) {
            const std::vector<kvr::Lane> lanes = kvr::stackedLanes(rows, count, 3);
            ASSERT_EQ(static_cast<int>(lanes.size()), count);
            EXPECT_EQ(lanes.front().top, 0);
            if ((rows - (count - 1) * 3) / count >= 1) {
                EXPECT_EQ(lanes.back().bottom(), rows - 1) << rows << " rows, " << count << " lanes";
            }
            for (std::size_t i = 1; i < lanes.size(); ++i) {
                ASSERT_EQ(lanes[i].top, lanes[i - 1].bottom() + 1 + 3) << "a gap of 3 rows";
                ASSERT_GE(lanes[i].span, lanes[i - 1].span) << "the last lane takes the rows left over";
                ASSERT_LE(lanes[i].span - lanes[0].span, count) << "otherwise equal";
            }
        }
    }
    EXPECT_TRUE(kvr::stackedLanes(300, 0, 3).empty());
}

constexpr uint32_t kRpmColour = 0xFF0000, kKnockColour = 0x00FF00;

// RPM on 0..10000 and knock on 0..15, as the log chart has them, the other
// channels hidden; RPM at the top of its range, knock at 1 of 15.
struct TwoChannels {
    QWidget page;
    TAbTrend* chart = new TAbTrend(&page);

    TwoChannels() {
        chart->setStartRecording(false);
        chart->recorder().setLimitUpper({90, 0x800000, false, false});
        chart->recorder().setLimitLower({10, 0x800000, false, false});
        for (int n = 1; n <= 8; ++n) chart->channel(n).setVisible(n == 1 || n == 7);
        chart->Channel1().setDigitalTo(10000);
        chart->Channel1().setValueTo(10000);
        chart->Channel1().setValueUnit("RPM");
        chart->Channel1().setColor(kRpmColour);
        chart->Channel7().setValueTo(15);
        chart->Channel7().setValueUnit("KNOCK");
        chart->Channel7().setColor(kKnockColour);
        page.resize(870, 373);
        chart->setGeometry(0, 0, 870, 373);
        page.show();
        for (int i = 0; i < 200; ++i) {
            chart->Channel1().setValue(10000);
            chart->Channel7().setValue(1);
            chart->AddRecord();
        }
    }
    // The plot rows holding a colour in column x.
    std::set<int> rowsOf(uint32_t rgb, int x) const {
        std::set<int> rows;
        const QImage& plot = chart->plotImage();
        for (int y = 0; y < plot.height(); ++y)
            if ((plot.pixel(x, y) & 0xFFFFFFu) == rgb) rows.insert(y);
        return rows;
    }
};

TEST(StackedView, EachChannelSpansItsOwnLaneOnItsOwnRange) {
    TwoChannels t;
    const int span = t.chart->recorder().plotSpan();
    // Overlaid, knock's 1 of 15 is a line near the bottom of the RPM plot.
    std::set<int> knock = t.rowsOf(kKnockColour, 50);
    ASSERT_FALSE(knock.empty());
    EXPECT_GT(*knock.begin(), span * 9 / 10);

    t.chart->setStacked(true);
    const std::optional<kvr::Lane> rpmLane = t.chart->recorder().laneOf(1);
    const std::optional<kvr::Lane> knockLane = t.chart->recorder().laneOf(7);
    ASSERT_TRUE(rpmLane && knockLane);
    EXPECT_FALSE(t.chart->recorder().laneOf(2)) << "a hidden channel has no lane";
    EXPECT_EQ(rpmLane->top, 0);
    EXPECT_EQ(knockLane->bottom(), span);
    // Full scale at the lane's top; 1 of 15 a fifteenth up from its bottom.
    const std::set<int> rpm = t.rowsOf(kRpmColour, 50);
    ASSERT_FALSE(rpm.empty());
    EXPECT_EQ(*rpm.begin(), rpmLane->top);
    knock = t.rowsOf(kKnockColour, 50);
    ASSERT_FALSE(knock.empty());
    EXPECT_NEAR(*knock.begin(), knockLane->bottom() - knockLane->span / 15.0, 1.0);
    for (int row : knock) EXPECT_GE(row, knockLane->top) << "knock stays in its lane";
    for (int row : rpm) EXPECT_LE(row, rpmLane->bottom()) << "RPM stays in its lane";

    // A value past its range is held at its lane's edge, not drawn into the next lane.
    t.chart->Channel7().setValue(40);
    t.chart->AddRecord();
    const int last = static_cast<int>(t.chart->recorder().timeScale().columnOf(200 - t.chart->recorder().firstShown()));
    for (int row : t.rowsOf(kKnockColour, last)) EXPECT_GE(row, knockLane->top);

    // Back to the shared plot.
    t.chart->setStacked(false);
    EXPECT_FALSE(t.chart->recorder().laneOf(1));
    EXPECT_EQ(*t.rowsOf(kRpmColour, 50).begin(), 0);
    EXPECT_GT(*t.rowsOf(kKnockColour, 50).begin(), span * 9 / 10);
}

TEST(StackedView, EachLaneHasItsScaleBesideItAndLanesFollowTheLegend) {
    TwoChannels t;
    t.chart->setStacked(true);
    const QImage shot = t.chart->grab().toImage();
    const QRect plot = t.chart->plotRect();
    // The lane's scale texts are drawn in its channel's colour, left (values)
    // and right (unit) of the plot, level with the lane.
    auto colourBeside = [&](uint32_t rgb, const kvr::Lane& lane, bool leftSide) {
        const int from = leftSide ? 0 : plot.right() + 1;
        const int to = leftSide ? plot.left() - 1 : shot.width() - 1;
        for (int y = plot.top() + lane.top; y <= plot.top() + lane.bottom(); ++y)
            for (int x = from; x < to; ++x)
                if ((shot.pixel(x, y) & 0xFFFFFFu) == rgb) return true;
        return false;
    };
    const kvr::Lane rpm = *t.chart->recorder().laneOf(1), knock = *t.chart->recorder().laneOf(7);
    EXPECT_TRUE(colourBeside(kRpmColour, rpm, true));
    EXPECT_TRUE(colourBeside(kRpmColour, rpm, false));
    EXPECT_TRUE(colourBeside(kKnockColour, knock, true));
    EXPECT_TRUE(colourBeside(kKnockColour, knock, false));
    EXPECT_FALSE(colourBeside(kKnockColour, rpm, true)) << "not beside another lane";

    // A third channel shown: three lanes, redrawn at once.
    t.chart->Channel2().setVisible(true);
    const std::optional<kvr::Lane> afr = t.chart->recorder().laneOf(2);
    ASSERT_TRUE(afr);
    EXPECT_EQ(afr->top, t.chart->recorder().laneOf(1)->bottom() + 4);
    EXPECT_EQ(t.chart->recorder().laneOf(7)->top, afr->bottom() + 4);
}

}  // namespace
