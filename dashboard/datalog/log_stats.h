// Each column's minimum, mean and maximum over a log's rows, gathered one row
// at a time, and the table kvrtool prints of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dashboard/datalog/log_table.h"

namespace kvr {

struct ColumnStats {
    int64_t count = 0;  // the values seen; missing ones are not counted
    double min = 0, max = 0, sum = 0;
    // kMissing when no value was seen.
    double mean() const;
};

class LogStats {
public:
    // Starts over with one ColumnStats per column of `header`.
    void begin(const LogHeader& header);
    // Separator rows and missing values are skipped.
    void add(const LogRow& row);
    const std::vector<ColumnStats>& columns() const { return columns_; }

private:
    std::vector<ColumnStats> columns_;
};

// One line per column, Time first (its minimum and maximum give the span
// the log covers), under a heading "column unit count min mean max":
// names and units left-aligned, numbers right-aligned with the column's
// digits (one more for the mean; a kAsStored column's numbers all as short
// as a float allows), "-" where a column had no value.
std::string statsText(const LogHeader& header, const LogStats& stats);

}  // namespace kvr
