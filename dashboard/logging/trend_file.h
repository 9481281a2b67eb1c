// The log chart file: the record store written as 24-byte sample records,
// oldest first, with no header or trailer. Results are 0 or the OS error
// number (errno), never negative, e.g. 2 for a file that does not exist.
#pragma once

#include <cstddef>
#include <string>

#include "dashboard/logging/trend_store.h"

namespace kvr {

// Writes every record of the store. The records go to a new file beside the
// target, which replaces the target only once it is completely written and
// flushed, so a failure part-way leaves any earlier file as it was.
int saveTrendFile(const std::string& path, const TrendStore& store);

// Appends the file's whole records (length / 24, any tail ignored) to the
// store. On a read error the records read before it stay appended.
int appendTrendFile(const std::string& path, TrendStore& store);

// The same, and when the file ends in a partial record (its length is not a
// multiple of 24, as a log cut short by a crash is), sets *cutTailBytes to
// the length of that partial record; 0 otherwise. The partial record is not
// an error: the whole records before it are appended and the result is 0.
int appendTrendFile(const std::string& path, TrendStore& store, std::size_t* cutTailBytes);

// True when a stored time stamp is one a log chart record can hold: a
// separator (0.0) or a date-time from 1980-01-01 to the end of 2100. Other
// bytes read as records (a values file, random data) give other numbers.
bool isLogChartTime(double days);

// Writes all `size` bytes to `fd`, going on after short writes and
// interruptions; 0, or the errno of the write that failed.
int writeAllBytes(int fd, const unsigned char* data, std::size_t size);

}  // namespace kvr
