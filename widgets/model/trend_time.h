// Time stamps of the trend recorder: local date and time as days since
// 1899-12-30 00:00, the fraction being the time of day, and their label texts.
#pragma once

#include <cstdint>
#include <string>

namespace kvr {

// The current local date and time in days since 1899-12-30.
double localNowDays();

// Days since 1899-12-30 for seconds since 1970-01-01 on the local clock
// (that is, UTC seconds plus the zone's offset).
double daysFromLocalSeconds(double localSeconds);

// Unix milliseconds (UTC) as local days since 1899-12-30, and back. The way
// back reads the local time as the zone had it then (-1 day on a date
// before 1970 is not expected and gives 0).
double localDaysFromUnixMs(int64_t unixMs);
int64_t unixMsFromLocalDays(double days);

// The time stamp split into whole milliseconds: day number and time of day.
struct DayTime {
    int64_t day;      // days since 1899-12-30
    int32_t msOfDay;  // 0 .. 86399999
};
DayTime splitDays(double days);

// "HH:MM:SS", the seconds cut, not rounded.
std::string timeOfDayText(double days);
// "YYYY-MM-DD".
std::string dateText(double days);

}  // namespace kvr
