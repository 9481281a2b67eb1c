// The recording clock's bookkeeping: registrations with an interval and a
// next due time on the millisecond tick, and which of them a base tick
// serves. The next due time is the previous one plus the interval, so a
// late tick does not shift the rhythm, unless the tick came more than a
// second late, when the rhythm restarts from now.
#pragma once

#include <cstdint>
#include <vector>

namespace kvr {

class ClockSchedule {
public:
    struct Due {
        const void* client;
        uint32_t lateness;  // ms behind the due time (0 when over a second)
    };

    // Registers a client (or replaces its interval); due at now + interval.
    void add(const void* client, uint32_t intervalMs, uint32_t now);
    void remove(const void* client);
    bool contains(const void* client) const;
    bool empty() const { return entries_.empty(); }

    // The earliest due time among the clients (false when there are none):
    // the clock need not wake its users before then.
    bool nextDue(uint32_t now, uint32_t& at) const;

    // The clients due at `now`, in registration order, with their new due
    // times already set.
    std::vector<Due> tick(uint32_t now);

private:
    struct Entry {
        const void* client;
        uint32_t interval;
        uint32_t due;
    };
    std::vector<Entry> entries_;
};

}  // namespace kvr
