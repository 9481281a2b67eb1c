#include "csv_rows.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "widgets/model/trend_recorder.h"
#include "widgets/model/trend_time.h"

namespace kvrtool {
namespace {

// Time stamps from 0001-01-01 to 9999-12-31 are written as dates; anything
// else in the file (a damaged record) is written as its raw day number.
constexpr double kFirstDay = -693593.0;
constexpr double kLastDay = 2958466.0;

// Local date and time to the millisecond, as stored (the file has no zone).
std::string timeColumn(double days) {
    char text[40];
    if (!std::isfinite(days) || days < kFirstDay || days >= kLastDay) {
        std::snprintf(text, sizeof text, "%.17g", days);
        return text;
    }
    const kvr::DayTime t = kvr::splitDays(days);
    const int ms = t.msOfDay;
    std::snprintf(text, sizeof text, "T%02d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                  ms % 1000);
    return kvr::dateText(days) + text;
}

// The shortest text that reads back as the same float.
std::string valueColumn(float v) {
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, v);
    return std::string(text, r.ptr);
}

std::string csvField(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string quoted = "\"";
    for (char c : s) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::string csvHeaderRow(const kvr::TSignalSettings (&channels)[8]) {
    std::string text = "time";
    for (int i = 0; i < 8; ++i) text += "," + csvField(channels[i].ValueUnit());
    return text + "\n";
}

std::string csvRecordRow(const kvr::TrendRecord& r, const kvr::TSignalSettings (&channels)[8]) {
    std::string text = r.isSeparator() ? std::string("separator") : timeColumn(r.time);
    for (int i = 0; i < 8; ++i) text += "," + valueColumn(kvr::readBackValue(channels[i], r.digits[i]));
    return text + "\n";
}

}  // namespace kvrtool
