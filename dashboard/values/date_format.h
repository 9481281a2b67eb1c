// Dates and times as the sheets show them. The separators start as "/" and ":" and become "_" at
// the first fill, so that the proposed title can serve as a file name; they stay so for the run.
#pragma once

#include <string>

#include "dashboard/values/fill_context.h"

namespace kvr {

struct DateTimeSeparators {
    char date = '/';
    char time = ':';
};

std::string formatDate(const LocalDateTime& when, const DateTimeSeparators& separators);  // yyyy/mm/dd
std::string formatTime(const LocalDateTime& when, const DateTimeSeparators& separators);  // hh:mm:ss

}  // namespace kvr
