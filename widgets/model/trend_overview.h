// The overview strip under the trend chart: the whole log squeezed into the
// strip's width, each column drawn as the lowest to highest value of its
// records, with the records the chart shows marked as a window. This is the
// arithmetic of it: which records a strip column holds, where the chart's
// view lies on the strip, and the per-column envelope, worked out from a
// summary of fixed blocks of records so that a strip over two million
// records is drawn in a few milliseconds and new records cost little.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "dashboard/logging/trend_store.h"

namespace kvr {

// Records 0 .. records - 1 spread evenly over strip columns 0 .. width - 1,
// the oldest on the left. With fewer records than columns a record takes
// several columns.
struct OverviewMap {
    int64_t records = 0;
    int width = 0;

    bool empty() const { return records <= 0 || width <= 0; }
    // The column holding `record` (clamped to the strip).
    int columnOf(int64_t record) const;
    // The record under `column`: the first of the records it holds, or the
    // one it is part of (clamped to the log).
    int64_t recordAt(int column) const;
    // Records column `column` holds: firstRecordIn(column) .. firstRecordIn(column + 1) - 1.
    // May be empty where a record takes several columns.
    int64_t firstRecordIn(int column) const;
};

// The chart's view as a window on the strip: columns left .. right
// inclusive, at least one column wide.
struct OverviewWindow {
    int left = 0;
    int right = -1;
    bool empty() const { return right < left; }
    int width() const { return right - left + 1; }
};
OverviewWindow overviewWindow(const OverviewMap& map, int64_t firstShown, int64_t lastShown);

// What the strip shows of a column: each channel's lowest and highest
// relative digit over its sample records, and whether a break (separator
// record) falls in it.
struct OverviewColumn {
    bool samples = false;
    bool separator = false;
    std::array<uint16_t, kTrendChannels> low{}, high{};
};

// What a press on the strip does, by where it lands against the window.
enum class OverviewGrip { jump, move, leftEdge, rightEdge };
// Edges take `edgeSlop` columns either side of the window's first and last
// column; a window narrower than three times the slop is moved as a whole
// unless the press is outside it.
OverviewGrip overviewGripAt(const OverviewWindow& window, int column, int edgeSlop);

// A summary of the store in blocks of kBlockRecords records, kept up to date
// as records are appended; the envelope of any column is then put together
// from whole blocks plus the records at its ends.
class OverviewEnvelope {
public:
    static constexpr int kBlockRecords = 64;

    // Brings the summary up to date: records appended since the last call are
    // summarised; a store that shrank or was replaced is summarised afresh.
    void sync(const TrendStore& store);
    // The strip's columns for `width` columns. The store must be the one
    // synced last, unchanged since.
    std::vector<OverviewColumn> columns(const TrendStore& store, int width) const;
    int64_t summarised() const { return summarised_; }

private:
    struct Block {
        OverviewColumn sum;
    };
    void addRecord(const TrendRecord& record);
    static void merge(OverviewColumn& into, const OverviewColumn& from);
    static void mergeRecord(OverviewColumn& into, const TrendRecord& record);

    std::vector<Block> blocks_;
    int64_t summarised_ = 0;
    double firstTime_ = 0;  // the oldest record's stamp, to notice a replaced store
    double lastTime_ = 0;   // the last summarised record's stamp, likewise
};

}  // namespace kvr
