// Moves stop at the log's ends; Fit picks the finest time zoom that holds
// the whole log.
#include <gtest/gtest.h>

#include "widgets/model/trend_navigation.h"
#include "widgets/model/trend_zoom.h"

using kvr::clampedFirstShown;

TEST(TrendNavigation, AForwardMoveStopsWithTheNewestRecordInTheLastColumn) {
    // 1000 records, 300 fit: the last view starts at record 700.
    EXPECT_EQ(clampedFirstShown(600, 700, 1000, 300), 700);
    EXPECT_EQ(clampedFirstShown(650, 750, 1000, 300), 700);
    EXPECT_EQ(clampedFirstShown(700, 800, 1000, 300), 700);
    EXPECT_EQ(clampedFirstShown(0, 100000, 1000, 300), 700);
}

TEST(TrendNavigation, ABackwardMoveStopsAtTheOldestRecord) {
    EXPECT_EQ(clampedFirstShown(50, -50, 1000, 300), 0);
    EXPECT_EQ(clampedFirstShown(0, -100, 1000, 300), 0);
    EXPECT_EQ(clampedFirstShown(500, 400, 1000, 300), 400);
}

TEST(TrendNavigation, ALogShorterThanThePlotStaysAtItsStart) {
    EXPECT_EQ(clampedFirstShown(0, 100, 200, 300), 0);
    EXPECT_EQ(clampedFirstShown(0, 100, 0, 300), 0);
}

TEST(TrendNavigation, AForwardMoveNeverTakesAPagedAheadViewBack) {
    // Following paged to 900: the newest record is mid-plot; ">>" keeps it.
    EXPECT_EQ(clampedFirstShown(900, 1000, 1000, 300), 900);
    // "<<" from there still goes back.
    EXPECT_EQ(clampedFirstShown(900, 800, 1000, 300), 800);
}

TEST(TrendNavigation, FitTakesTheFinestLevelThatHoldsTheWholeLog) {
    const int columns = 800;
    for (int64_t records : {1, 150, 200, 201, 800, 801, 5000, 123457}) {
        const kvr::FitLevel fit = kvr::fitLevel(records, columns);
        ASSERT_TRUE(fit.fits) << records;
        EXPECT_GE(kvr::timeScaleAt(fit.level).recordsWholeBefore(columns), records) << records;
        if (fit.level > 0) {
            EXPECT_LT(kvr::timeScaleAt(fit.level - 1).recordsWholeBefore(columns), records) << records;
        }
    }
    EXPECT_EQ(kvr::timeScaleAt(kvr::fitLevel(800, columns).level), kvr::timeScaleAt(kvr::oneRecordPerColumnLevel()));
}

TEST(TrendNavigation, FitTooLongForTheWidestLevelSaysSo) {
    const int widest = kvr::timeScaleLevels() - 1;
    const int64_t most = kvr::timeScaleAt(widest).recordsWholeBefore(100);
    const kvr::FitLevel fit = kvr::fitLevel(most + 1, 100);
    EXPECT_FALSE(fit.fits);
    EXPECT_EQ(fit.level, widest);
    EXPECT_TRUE(kvr::fitLevel(most, 100).fits);
}
