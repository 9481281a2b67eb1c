// Markers on the trend chart: labelled moments drawn as vertical lines at
// their records' columns, with their labels in a row along the plot's top.
// Which records are in view, which column a record takes, where each label
// goes and which label a click falls on; the widget measures the texts and
// draws.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "widgets/model/trend_zoom.h"

namespace kvr {

enum class TrendMarkerKind {
    User,  // placed by the user: drawn strong
    Gap,   // where recording came back after a pause: drawn quiet
};

struct TrendMarker {
    int record = 0;     // the store index of the record it sits on
    std::string label;  // what the chart writes beside its line (Latin-1, as the log keeps texts)
    TrendMarkerKind kind = TrendMarkerKind::User;
};

// Records first..last of the store, inclusive; none when last < first.
struct RecordSpan {
    int first = 0;
    int last = -1;
    bool empty() const { return last < first; }
};

// The records whose columns lie in the plot's columns 0 .. plotColumns - 1,
// with record `firstShown` in column 0.
RecordSpan visibleRecords(int storeCount, int firstShown, const TimeScale& scale, int plotColumns);

// The plot column of `record` (the first of the columns it takes when a
// record is several pixels wide), when it lies in the plot.
std::optional<int> recordColumn(int record, int firstShown, const TimeScale& scale, int plotColumns);

// A marker label's box, in plot coordinates.
struct MarkerLabel {
    int marker = 0;  // the index of the marker it labels
    int column = 0;  // the column of the marker's line
    int left = 0, top = 0, width = 0, height = 0;
    bool contains(int x, int y) const { return x >= left && x < left + width && y >= top && y < top + height; }
};

// Where the labels of the markers in view go. A label starts just right of
// its line, or ends just left of it where the plot's right edge is too
// near; it takes the top row where it overlaps no label placed before it,
// in column order, and the last of `rows` rows when every row is taken.
// `labelWidths` holds each marker's label width in pixels.
std::vector<MarkerLabel> layoutMarkerLabels(const std::vector<TrendMarker>& markers,
                                            const std::vector<int>& labelWidths, int firstShown,
                                            const TimeScale& scale, int plotColumns, int rowHeight, int rows);

// The marker whose label holds the point (x, y) of the plot, or -1. Where
// labels overlap, the one drawn last (on top) answers.
int markerLabelAt(const std::vector<MarkerLabel>& labels, int x, int y);

}  // namespace kvr
