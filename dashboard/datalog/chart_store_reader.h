// A log chart's records (a .KVL file's, or the window's chart log) read as
// a log table, so every export takes them like a data log: Time from the
// first sample, the wall clock, the eight channels in their units read back
// against the channels' ranges, and the manifold pressure in kPa absolute.
// Each break (five separator records) becomes one separator row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dashboard/datalog/data_log_columns.h"
#include "dashboard/datalog/log_table.h"
#include "dashboard/logging/trend_store.h"
#include "widgets/model/signal_settings.h"

namespace kvr {

// A marker on a chart record: it follows that record in the table.
struct StoreMarker {
    int record = 0;
    std::string text;
};

class ChartStoreReader : public LogReader {
public:
    // The store and channels must outlive the reader. Without markers, each
    // break gets one saying how long it was: "gap: 3.1 s".
    ChartStoreReader(const TrendStore& store, const TSignalSettings (&channels)[8], MapForm mapForm,
                     std::vector<StoreMarker> markers, bool markGaps);

    const LogHeader& header() const override { return header_; }
    bool next(LogItem& item) override;

private:
    double secondsOf(const TrendRecord& r) const;
    void fillRow(const TrendRecord& r, LogRow& row) const;

    const TrendStore& store_;
    const TSignalSettings (&channels_)[8];
    MapForm mapForm_;
    std::vector<StoreMarker> markers_;  // by record
    bool markGaps_;
    LogHeader header_;
    double firstDays_ = 0;
    int index_ = 0;
    size_t nextMarker_ = 0;
    double lastSeconds_ = 0;
    bool inBreak_ = false;        // separators seen since the last sample
    bool pendingGap_ = false;     // a gap marker is due before the next sample
    bool pendingRow_ = false;     // the sample at index_-1 still to be handed out
};

}  // namespace kvr
