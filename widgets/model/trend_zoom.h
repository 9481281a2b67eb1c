// The time axis of the trend plot: how many records share a pixel column,
// or how many pixel columns one record takes, and what a range of records
// looks like column by column at that scale.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "dashboard/logging/trend_store.h"

namespace kvr {

// One step of the time zoom. Exactly one of the two counts is above 1,
// or both are 1 (one record per column).
struct TimeScale {
    int recordsPerColumn = 1;
    int pixelsPerRecord = 1;

    // The column of a record `offset` records after the first shown one
    // (negative offsets lie left of the plot).
    int64_t columnOf(int64_t offset) const;
    // The offset of the record shown at `column`: the first of the records
    // that share it.
    int64_t recordAt(int64_t column) const;
    // How many records start in the columns 0 .. columns - 1.
    int64_t recordsStartingBefore(int64_t columns) const;
    // How many records lie wholly in the columns 0 .. columns - 1: with
    // several pixels per record, one that runs on past them does not count.
    int64_t recordsWholeBefore(int64_t columns) const;
    // Records that `columns` columns' worth of time holds, at least one.
    int64_t recordsAcross(int64_t columns) const;
    // The plot columns a shift of the view by `records` moves the drawing,
    // or -1 when the shift is no whole number of columns.
    int64_t columnsForShift(int64_t records) const;
    // "1 record/pixel", "10 records/pixel", "4 pixels/record".
    std::string text() const;

    bool operator==(const TimeScale& o) const {
        return recordsPerColumn == o.recordsPerColumn && pixelsPerRecord == o.pixelsPerRecord;
    }
    bool operator!=(const TimeScale& o) const { return !(*this == o); }
};

// The steps of the time zoom, finest first: 4 and 2 pixels per record,
// then 1, 2, 5, 10, 20 ... records per column.
int timeScaleLevels();
TimeScale timeScaleAt(int level);
// The level of one record per column, where a recorder starts.
int oneRecordPerColumnLevel();

// What one plot column shows of the records in it: each channel's first,
// lowest, highest and last relative digit, and whether a separator record
// falls in it. A line drawn first -> lowest -> highest -> last inside the
// column covers every value of the column, so no short spike disappears
// when many records share a column.
struct ColumnTrace {
    int64_t column = 0;
    bool separator = false;
    std::array<uint16_t, kTrendChannels> first{}, low{}, high{}, last{};
};

// The columns of records from .. to (indices into the store, clamped to
// it), with record `firstShown` in column 0, in column order. A column only
// partly inside from .. to summarises the records of it that are.
std::vector<ColumnTrace> traceColumns(const TrendStore& store, int firstShown, const TimeScale& scale, int from,
                                      int to);

}  // namespace kvr
