#include "widgets/model/clock_schedule.h"

#include <algorithm>

namespace kvr {

void ClockSchedule::add(const void* client, uint32_t intervalMs, uint32_t now) {
    for (auto& e : entries_) {
        if (e.client == client) {
            e.interval = intervalMs;
            e.due = now + intervalMs;
            return;
        }
    }
    entries_.push_back({client, intervalMs, now + intervalMs});
}

void ClockSchedule::remove(const void* client) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.client == client; }),
                   entries_.end());
}

bool ClockSchedule::contains(const void* client) const {
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.client == client; });
}

bool ClockSchedule::nextDue(uint32_t now, uint32_t& at) const {
    bool any = false;
    int64_t soonest = 0;
    for (const auto& e : entries_) {
        // Signed distance on the wrapping tick: a due time already passed
        // counts as now.
        const int64_t ahead = std::max<int64_t>(0, static_cast<int32_t>(e.due - now));
        if (!any || ahead < soonest) soonest = ahead;
        any = true;
    }
    if (any) at = now + static_cast<uint32_t>(soonest);
    return any;
}

std::vector<ClockSchedule::Due> ClockSchedule::tick(uint32_t now) {
    std::vector<Due> due;
    for (auto& e : entries_) {
        // Differences on the wrapping tick: "now is at or past due" while the
        // distance is under half the counter's range.
        const uint32_t behind = now - e.due;
        if (behind >= 0x80000000u) continue;
        const uint32_t lateness = behind > 1000 ? 0 : behind;
        e.due = now + e.interval - lateness;
        due.push_back({e.client, lateness});
    }
    return due;
}

}  // namespace kvr
