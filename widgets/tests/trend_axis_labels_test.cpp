// The time axis shows the date only when the view or the log crosses midnight.
#include <gtest/gtest.h>

#include "widgets/model/trend_axis_labels.h"

namespace {

constexpr double kDay = 45658;  // 2025-01-01
double at(int day, int h, int m, int s) { return kDay + day + ((h * 60 + m) * 60 + s) / 86400.0; }

}  // namespace

TEST(TrendAxisLabels, ADayOfItsOwnShowsTimesOnly) {
    EXPECT_FALSE(kvr::axisLabelsNeedDate(at(0, 12, 0, 0), at(0, 12, 5, 0), at(0, 8, 0, 0), at(0, 23, 59, 59)));
    EXPECT_EQ(kvr::axisLabelText(at(0, 23, 59, 50), false), "23:59:50");
}

TEST(TrendAxisLabels, AViewAcrossMidnightShowsTheDate) {
    EXPECT_TRUE(kvr::axisLabelsNeedDate(at(0, 23, 59, 0), at(1, 0, 1, 0), at(0, 23, 59, 0), at(1, 0, 1, 0)));
    EXPECT_EQ(kvr::axisLabelText(at(0, 23, 59, 50), true), "01-01 23:59:50");
    EXPECT_EQ(kvr::axisLabelText(at(1, 0, 0, 10), true), "01-02 00:00:10");
}

TEST(TrendAxisLabels, ALogOverSeveralDaysShowsTheDateEvenInAViewOfOneDay) {
    EXPECT_TRUE(kvr::axisLabelsNeedDate(at(1, 10, 0, 0), at(1, 11, 0, 0), at(0, 22, 0, 0), at(1, 12, 0, 0)));
}

TEST(TrendAxisLabels, NoSamplesMeansNoDate) {
    EXPECT_FALSE(kvr::axisLabelsNeedDate(0, 0, 0, 0));
    EXPECT_FALSE(kvr::axisLabelsNeedDate(0, at(1, 0, 0, 0), 0, 0));
}
