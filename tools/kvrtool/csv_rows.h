// The rows `kvrtool csv` writes for a log chart file: a header of the eight
// channel units, then per record its local time and the eight values read
// back on the channels' current ranges.
#pragma once

#include <string>

#include "widgets/model/signal_settings.h"
#include "dashboard/logging/trend_record.h"

namespace kvrtool {

// "time" and the eight units, quoted where CSV needs it; ends in LF.
std::string csvHeaderRow(const kvr::TSignalSettings (&channels)[8]);

// The record's time (ISO 8601 local time with milliseconds, "separator", or
// the raw day number of a time stamp no calendar date fits) and its eight
// values, each the shortest text that reads back as the same float; ends in LF.
std::string csvRecordRow(const kvr::TrendRecord& record, const kvr::TSignalSettings (&channels)[8]);

}  // namespace kvrtool
