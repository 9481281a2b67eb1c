// The log chart file: the record store written as 24-byte sample records,
// oldest first, with no header or trailer. Results are 0 or the OS error
// number (errno), never negative, e.g. 2 for a file that does not exist.
#pragma once

#include <string>

#include "widgets/model/trend_store.h"

namespace kvr {

// Writes every record of the store. The records go to a new file beside the
// target, which replaces the target only once it is completely written and
// flushed, so a failure part-way leaves any earlier file as it was.
int saveTrendFile(const std::string& path, const TrendStore& store);

// Appends the file's whole records (length / 24, any tail ignored) to the
// store. On a read error the records read before it stay appended.
int appendTrendFile(const std::string& path, TrendStore& store);

}  // namespace kvr
