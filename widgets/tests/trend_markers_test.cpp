// The markers' arithmetic on the trend chart: which records are in view at
// each time zoom, the column a marker's line takes, where the labels go so
// none hides another, and which label a click falls on.
#include <gtest/gtest.h>

#include "widgets/model/trend_markers.h"

namespace {

using kvr::MarkerLabel;
using kvr::TimeScale;
using kvr::TrendMarker;

const TimeScale kOnePerColumn{1, 1};
const TimeScale kTenPerColumn{10, 1};
const TimeScale kFourPixels{1, 4};

TEST(TrendMarkers, VisibleRecordsFollowTheTimeZoom) {
    kvr::RecordSpan s = kvr::visibleRecords(2000, 500, kOnePerColumn, 870);
    EXPECT_EQ(s.first, 500);
    EXPECT_EQ(s.last, 1369);
    // Each record four columns wide: 218 records start in 870 columns.
    s = kvr::visibleRecords(2000, 500, kFourPixels, 870);
    EXPECT_EQ(s.last, 717);
    // Ten records a column: the view reaches past the newest record.
    s = kvr::visibleRecords(2000, 500, kTenPerColumn, 870);
    EXPECT_EQ(s.first, 500);
    EXPECT_EQ(s.last, 1999);
    EXPECT_EQ(kvr::visibleRecords(100, 0, kOnePerColumn, 870).last, 99);

    EXPECT_TRUE(kvr::visibleRecords(0, 0, kOnePerColumn, 870).empty());
    EXPECT_TRUE(kvr::visibleRecords(100, 0, kOnePerColumn, 0).empty()) << "no plot, nothing in view";
    EXPECT_TRUE(kvr::visibleRecords(100, 150, kOnePerColumn, 870).empty()) << "the view right of the store";
}

TEST(TrendMarkers, ARecordsColumnAtEachZoomAndOnlyInView) {
    EXPECT_EQ(kvr::recordColumn(525, 500, kOnePerColumn, 870), 25);
    EXPECT_EQ(kvr::recordColumn(525, 500, kTenPerColumn, 870), 2);
    EXPECT_EQ(kvr::recordColumn(525, 500, kFourPixels, 870), 100);
    EXPECT_EQ(kvr::recordColumn(500, 500, kOnePerColumn, 870), 0);
    EXPECT_EQ(kvr::recordColumn(1369, 500, kOnePerColumn, 870), 869);

    EXPECT_FALSE(kvr::recordColumn(499, 500, kOnePerColumn, 870)) << "left of the view";
    EXPECT_FALSE(kvr::recordColumn(1370, 500, kOnePerColumn, 870)) << "right of the view";
    EXPECT_FALSE(kvr::recordColumn(500 + 8700, 500, kTenPerColumn, 870));
}

// Markers at the given records, labels 40 pixels wide, rows 14 high.
std::vector<MarkerLabel> layout(const std::vector<int>& records, int rows = 3, int firstShown = 0,
                                int columns = 870) {
    std::vector<TrendMarker> markers;
    for (int r : records) markers.push_back({r, "label", kvr::TrendMarkerKind::User});
    return kvr::layoutMarkerLabels(markers, std::vector<int>(records.size(), 40), firstShown, kOnePerColumn,
                                   columns, 14, rows);
}

TEST(TrendMarkers, LabelsStandBesideTheirLinesAndStepDownWhenTheyWouldOverlap) {
    // Apart: both in the top row, each just right of its line.
    std::vector<MarkerLabel> labels = layout({100, 300});
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].column, 100);
    EXPECT_EQ(labels[0].left, 102);
    EXPECT_EQ(labels[0].top, 0);
    EXPECT_EQ(labels[1].left, 302);
    EXPECT_EQ(labels[1].top, 0);

    // Close together: the later one a row down, a third a row further.
    labels = layout({100, 120, 130});
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0].top, 0);
    EXPECT_EQ(labels[1].top, 14);
    EXPECT_EQ(labels[2].top, 28);

    // With two rows, the third shares the last row.
    labels = layout({100, 120, 130}, 2);
    EXPECT_EQ(labels[2].top, 14);

    // A row comes free again once the labels are past.
    labels = layout({100, 120, 200});
    EXPECT_EQ(labels[2].top, 0);

    // In column order, whatever order the markers were placed in.
    labels = layout({120, 100});
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].marker, 1);
    EXPECT_EQ(labels[0].top, 0);
    EXPECT_EQ(labels[1].marker, 0);
    EXPECT_EQ(labels[1].top, 14);
}

TEST(TrendMarkers, LabelsKeepInsideThePlotAndOutOfViewMarkersHaveNone) {
    // Too near the right edge for the label: it ends left of the line.
    std::vector<MarkerLabel> labels = layout({850});
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].left + labels[0].width, 848);

    labels = layout({10, 500, 1100}, 3, 200);
    ASSERT_EQ(labels.size(), 1u) << "only the marker in view";
    EXPECT_EQ(labels[0].marker, 1);
    EXPECT_EQ(labels[0].column, 300);
}

TEST(TrendMarkers, AClickFindsTheLabelUnderIt) {
    const std::vector<MarkerLabel> labels = layout({100, 120, 400});
    EXPECT_EQ(kvr::markerLabelAt(labels, 105, 5), 0);
    EXPECT_EQ(kvr::markerLabelAt(labels, 141, 0), 0) << "the box's last column";
    EXPECT_EQ(kvr::markerLabelAt(labels, 142, 5), -1) << "just past it";
    EXPECT_EQ(kvr::markerLabelAt(labels, 130, 20), 1) << "the second row";
    EXPECT_EQ(kvr::markerLabelAt(labels, 420, 13), 2);
    EXPECT_EQ(kvr::markerLabelAt(labels, 420, 14), -1) << "under the label";
    EXPECT_EQ(kvr::markerLabelAt(labels, 99, 5), -1) << "left of the line";

    // Overlapping labels in the one row there is: the one drawn last answers.
    const std::vector<MarkerLabel> crowded = layout({100, 110}, 1);
    EXPECT_EQ(kvr::markerLabelAt(crowded, 115, 5), 1);
    EXPECT_EQ(kvr::markerLabelAt(crowded, 105, 5), 0);
}

}  // namespace
