#include "widgets/model/trend_navigation.h"

#include <algorithm>

#include "widgets/model/trend_zoom.h"

namespace kvr {

int64_t clampedFirstShown(int64_t current, int64_t wanted, int64_t records, int64_t capacity) {
    if (wanted <= current) return std::max<int64_t>(0, wanted);
    // The first record with which the newest one lies in the last column.
    const int64_t last = std::max<int64_t>(0, records - std::max<int64_t>(1, capacity));
    return std::max<int64_t>(0, std::min(wanted, std::max(last, current)));
}

FitLevel fitLevel(int64_t records, int64_t columns) {
    const int widest = timeScaleLevels() - 1;
    for (int level = 0; level <= widest; ++level) {
        if (timeScaleAt(level).recordsWholeBefore(columns) >= records) return {level, true};
    }
    return {widest, false};
}

}  // namespace kvr
