#include "dashboard/values/date_format.h"

#include <cstdio>

namespace kvr {

std::string formatDate(const LocalDateTime& when, const DateTimeSeparators& separators) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%c%02d%c%02d", when.year, separators.date, when.month, separators.date,
                  when.day);
    return text;
}

std::string formatTime(const LocalDateTime& when, const DateTimeSeparators& separators) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d%c%02d%c%02d", when.hour, separators.time, when.minute, separators.time,
                  when.second);
    return text;
}

}  // namespace kvr
