#include "widgets/model/trend_markers.h"

#include <algorithm>
#include <cstdint>

namespace kvr {

namespace {

constexpr int kLabelGap = 2;  // between a line and its label, and between labels in a row

bool overlapsAcross(const MarkerLabel& a, const MarkerLabel& b) {
    return a.left < b.left + b.width + kLabelGap && b.left < a.left + a.width + kLabelGap;
}

}  // namespace

RecordSpan visibleRecords(int storeCount, int firstShown, const TimeScale& scale, int plotColumns) {
    RecordSpan span;
    if (storeCount <= 0 || plotColumns <= 0) return span;
    const int64_t first = std::max<int64_t>(firstShown, 0);
    // The records starting in the plot's columns; one that starts left of
    // column 0 is not in view.
    const int64_t last = std::min<int64_t>(storeCount - 1, int64_t{firstShown} +
                                                               scale.recordsStartingBefore(plotColumns) - 1);
    if (first > last) return span;
    span.first = static_cast<int>(first);
    span.last = static_cast<int>(last);
    return span;
}

std::optional<int> recordColumn(int record, int firstShown, const TimeScale& scale, int plotColumns) {
    if (record < firstShown) return std::nullopt;
    const int64_t column = scale.columnOf(int64_t{record} - firstShown);
    if (column >= plotColumns) return std::nullopt;
    return static_cast<int>(column);
}

std::vector<MarkerLabel> layoutMarkerLabels(const std::vector<TrendMarker>& markers,
                                            const std::vector<int>& labelWidths, int firstShown,
                                            const TimeScale& scale, int plotColumns, int rowHeight, int rows) {
    std::vector<MarkerLabel> labels;
    for (size_t i = 0; i < markers.size(); ++i) {
        const std::optional<int> column = recordColumn(markers[i].record, firstShown, scale, plotColumns);
        if (!column) continue;
        MarkerLabel label;
        label.marker = static_cast<int>(i);
        label.column = *column;
        label.width = i < labelWidths.size() ? std::max(labelWidths[i], 0) : 0;
        label.height = rowHeight;
        label.left = *column + kLabelGap;
        if (label.left + label.width > plotColumns) label.left = std::max(0, *column - kLabelGap - label.width);
        labels.push_back(label);
    }
    // Left to right, so labels fill the top row first wherever there is room.
    std::stable_sort(labels.begin(), labels.end(),
                     [](const MarkerLabel& a, const MarkerLabel& b) { return a.column < b.column; });
    const int lastRow = std::max(rows, 1) - 1;
    for (size_t i = 0; i < labels.size(); ++i) {
        int row = 0;
        for (; row < lastRow; ++row) {
            const bool taken = std::any_of(labels.begin(), labels.begin() + static_cast<std::ptrdiff_t>(i),
                                           [&](const MarkerLabel& placed) {
                                               return placed.top == row * rowHeight && overlapsAcross(placed, labels[i]);
                                           });
            if (!taken) break;
        }
        labels[i].top = row * rowHeight;
    }
    return labels;
}

int markerLabelAt(const std::vector<MarkerLabel>& labels, int x, int y) {
    for (auto it = labels.rbegin(); it != labels.rend(); ++it)
        if (it->contains(x, y)) return it->marker;
    return -1;
}

}  // namespace kvr
