// "Go to time": what the user typed to find a moment of the log, and the
// record that answers it. A clock time "HH:MM[:SS]", a date and time
// "YYYY-MM-DD HH:MM[:SS]", or an offset from the log's first sample:
// "+1:30:00", "+1:30" (hours and minutes), "+90s", "+5m", "+2h", "+1h30m".
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "dashboard/logging/trend_store.h"

namespace kvr {

struct TimeEntry {
    enum class Kind { ClockTime, DateTime, Offset };
    Kind kind = Kind::ClockTime;
    int64_t day = 0;  // DateTime: days since 1899-12-30
    int64_t ms = 0;   // ClockTime, DateTime: time of day; Offset: from the first sample
};

// Nothing when the text is none of the forms (or a field is out of range).
std::optional<TimeEntry> parseTimeEntry(const std::string& text);

struct TimeEntryMatch {
    int record = -1;           // the first sample at or after the time; -1: none
    bool severalDays = false;  // a clock time found on more than one day: the first is taken
    double time = 0;           // the time looked for (local days)
    std::string message;       // why there is none, or which day was taken
};

// The first sample record (no separator) at or after the entry's time, when
// that time lies within the log's first and last sample. A clock time is
// looked for on each day the log covers, oldest first, so in a log from
// 23:50 to 00:20 "00:05" is the one after midnight.
TimeEntryMatch findTimeEntry(const TrendStore& store, const TimeEntry& entry);

}  // namespace kvr
