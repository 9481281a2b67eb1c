// Where the trend chart's view may go: a move stops with the newest record
// at the plot's right edge and with the oldest at its left, and "Fit" picks
// the time zoom at which the whole store fits the plot.
#pragma once

#include <cstdint>

namespace kvr {

// The first shown record after a move from `current` towards `wanted`, on
// a store of `records` records and a plot whose columns hold `capacity`
// records. Never before record 0; a forward move stops once the newest
// record reaches the last column, and never moves back a view that is
// already further on (a following view that paged ahead).
int64_t clampedFirstShown(int64_t current, int64_t wanted, int64_t records, int64_t capacity);

// The finest time zoom level at which `records` records fit in `columns`
// plot columns; the widest level, with `fits` false, when none does.
struct FitLevel {
    int level = 0;
    bool fits = false;
};
FitLevel fitLevel(int64_t records, int64_t columns);

}  // namespace kvr
