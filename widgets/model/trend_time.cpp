#include "widgets/model/trend_time.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace kvr {

namespace {

constexpr int64_t kMsPerDay = 86400000;
// 1970-01-01 in days since 1899-12-30.
constexpr double kUnixEpochDays = 25569.0;

}  // namespace

double daysFromLocalSeconds(double localSeconds) { return kUnixEpochDays + localSeconds / 86400.0; }

double localDaysFromUnixMs(int64_t unixMs) {
    const std::time_t secs = static_cast<std::time_t>(unixMs / 1000);
    std::tm local{};
    localtime_r(&secs, &local);
    return daysFromLocalSeconds(static_cast<double>(unixMs) / 1000.0 + static_cast<double>(local.tm_gmtoff));
}

int64_t unixMsFromLocalDays(double days) {
    const DayTime t = splitDays(days);
    // The local wall-clock seconds since 1970, split into a calendar time
    // that mktime resolves with the zone's rules for that date.
    const int64_t localMs = (t.day - static_cast<int64_t>(kUnixEpochDays)) * kMsPerDay + t.msOfDay;
    const std::time_t localSecs = static_cast<std::time_t>(localMs / 1000 - (localMs % 1000 < 0 ? 1 : 0));
    std::tm fields{};
    gmtime_r(&localSecs, &fields);
    fields.tm_isdst = -1;
    const std::time_t utc = std::mktime(&fields);
    if (utc == static_cast<std::time_t>(-1)) return 0;
    const int64_t msPart = ((localMs % 1000) + 1000) % 1000;
    return static_cast<int64_t>(utc) * 1000 + msPart;
}

double localNowDays() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const int64_t ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
    const std::time_t secs = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
    localtime_r(&secs, &local);
    return daysFromLocalSeconds(static_cast<double>(ms) / 1000.0 + static_cast<double>(local.tm_gmtoff));
}

DayTime splitDays(double days) {
    // A damaged time stamp from a file (not a number, or further away than a
    // 64-bit millisecond count reaches, about 290 million years) would make
    // the rounding's result unspecified: not a number reads as the separator
    // time, the far ones stop at a bound well inside that range.
    constexpr double kFarthestMs = 9.0e18;
    const double exact = days * static_cast<double>(kMsPerDay);
    const auto ms = std::isnan(exact) ? int64_t{0}
                                      : static_cast<int64_t>(std::llround(std::clamp(exact, -kFarthestMs, kFarthestMs)));
    int64_t day = ms / kMsPerDay;
    int64_t rest = ms % kMsPerDay;
    if (rest < 0) {  // times before 1899-12-30 still have a time of day from 0 upwards
        rest += kMsPerDay;
        --day;
    }
    return {day, static_cast<int32_t>(rest)};
}

std::string timeOfDayText(double days) {
    const int32_t s = splitDays(days).msOfDay / 1000;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return text;
}

std::string dateText(double days) {
    // Civil date from a day count (proleptic Gregorian), counted from 1970-01-01.
    const int64_t z = splitDays(days).day - static_cast<int64_t>(kUnixEpochDays) + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    char text[80];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld", static_cast<long long>(y),
                  static_cast<long long>(m), static_cast<long long>(d));
    return text;
}

}  // namespace kvr
