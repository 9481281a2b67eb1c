// The trend recorder's record store: sample records in time order, oldest
// first. A deque, so that dropping the oldest records when the store is
// full and appending the newest both stay cheap at 300000 records.
#pragma once

#include <deque>

#include "dashboard/logging/trend_record.h"

namespace kvr {

// How a store changed, for a view that does not own it.
enum class StoreChange {
    Appended,    // samples at the end
    Separators,  // a break marked after the newest record
    Cleared,
    Opened,      // replaced by a log file's records
};

class TrendStore {
public:
    // Five separators mark every break in the recording.
    static constexpr int kSeparatorsPerBreak = 5;

    int count() const { return static_cast<int>(records_.size()); }
    bool empty() const { return records_.empty(); }
    const TrendRecord& at(int index) const { return records_[static_cast<std::size_t>(index)]; }
    const TrendRecord& back() const { return records_.back(); }
    // All records, oldest first; for drawing and for exporting.
    const std::deque<TrendRecord>& records() const { return records_; }

    void append(const TrendRecord& record) { records_.push_back(record); }
    // Inserts five separator records at `index`, each carrying the digits of
    // the record before them, so the lines run on flat across the break.
    // Does nothing unless 1 <= index <= count() - 1.
    void insertSeparators(int index);
    // Appends five separator records after the newest, each carrying its
    // digits: a break in a recording that is appended to as it goes. Does
    // nothing with fewer than two records.
    void appendSeparators();
    // Deletes the n oldest records; does nothing unless 0 < n <= count() - 1.
    void removeOldest(int n);
    void clear() { records_.clear(); }

private:
    std::deque<TrendRecord> records_;
};

}  // namespace kvr
