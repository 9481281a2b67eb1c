#include "widgets/model/trend_zoom.h"

#include <algorithm>

namespace kvr {

namespace {

// Negative pixels per record stand for several pixels per record; the rest
// are records per column. 1-2-5 steps keep each step a readable factor.
constexpr int kLevels[] = {-4, -2, 1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};
constexpr int kLevelCount = static_cast<int>(sizeof kLevels / sizeof kLevels[0]);

int64_t floorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

int64_t TimeScale::columnOf(int64_t offset) const {
    return pixelsPerRecord > 1 ? offset * pixelsPerRecord : floorDiv(offset, recordsPerColumn);
}

int64_t TimeScale::recordAt(int64_t column) const {
    return pixelsPerRecord > 1 ? floorDiv(column, pixelsPerRecord) : column * recordsPerColumn;
}

int64_t TimeScale::recordsStartingBefore(int64_t columns) const {
    if (columns <= 0) return 0;
    if (pixelsPerRecord > 1) return (columns + pixelsPerRecord - 1) / pixelsPerRecord;
    return columns * recordsPerColumn;
}

int64_t TimeScale::recordsWholeBefore(int64_t columns) const {
    if (columns <= 0) return 0;
    return pixelsPerRecord > 1 ? columns / pixelsPerRecord : columns * recordsPerColumn;
}

int64_t TimeScale::recordsAcross(int64_t columns) const {
    return std::max<int64_t>(1, recordsStartingBefore(columns));
}

int64_t TimeScale::columnsForShift(int64_t records) const {
    if (pixelsPerRecord > 1) return records * pixelsPerRecord;
    return records % recordsPerColumn == 0 ? records / recordsPerColumn : -1;
}

std::string TimeScale::text() const {
    if (pixelsPerRecord > 1) return std::to_string(pixelsPerRecord) + " pixels/record";
    return std::to_string(recordsPerColumn) + (recordsPerColumn == 1 ? " record/pixel" : " records/pixel");
}

int timeScaleLevels() { return kLevelCount; }

TimeScale timeScaleAt(int level) {
    const int v = kLevels[std::clamp(level, 0, kLevelCount - 1)];
    TimeScale scale;
    if (v < 0) {
        scale.pixelsPerRecord = -v;
    } else {
        scale.recordsPerColumn = v;
    }
    return scale;
}

int oneRecordPerColumnLevel() {
    return static_cast<int>(std::find(kLevels, kLevels + kLevelCount, 1) - kLevels);
}

std::vector<ColumnTrace> traceColumns(const TrendStore& store, int firstShown, const TimeScale& scale, int from,
                                      int to) {
    std::vector<ColumnTrace> columns;
    from = std::max(from, 0);
    to = std::min(to, store.count() - 1);
    if (from > to) return columns;
    columns.reserve(static_cast<std::size_t>(scale.columnOf(to - firstShown) - scale.columnOf(from - firstShown) + 1));
    for (int i = from; i <= to; ++i) {
        const TrendRecord& record = store.at(i);
        const int64_t column = scale.columnOf(static_cast<int64_t>(i) - firstShown);
        if (columns.empty() || columns.back().column != column) {
            ColumnTrace trace;
            trace.column = column;
            trace.first = trace.low = trace.high = record.digits;
            columns.push_back(trace);
        }
        ColumnTrace& trace = columns.back();
        trace.separator = trace.separator || record.isSeparator();
        for (int n = 0; n < kTrendChannels; ++n) {
            const uint16_t d = record.digits[static_cast<std::size_t>(n)];
            trace.low[n] = std::min(trace.low[n], d);
            trace.high[n] = std::max(trace.high[n], d);
        }
        trace.last = record.digits;
    }
    return columns;
}

}  // namespace kvr
