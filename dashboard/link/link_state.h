// How the link to the ECU stands, as the window's status line, the Gauges
// tab and the recorder need it: only a live link gives samples worth logging.
#pragma once

#include <cstdint>
#include <string>

namespace kvr {

enum class LinkState {
    Closed,      // no port open
    Waiting,     // open (or resumed) and no live record yet
    Live,        // a good live record arrived within the freshness limit
    Paused,      // the user paused the polling
    Silent,      // records came, but none within the freshness limit
    DeviceGone,  // the device went away; it is being reopened
};

// Milliseconds of the steady clock.
int64_t steadyClockMs();

// The local time of day as "HH:MM:SS", for message-log lines.
std::string localClockText();

// Why there is no fresh data, in a few words: "the device went away".
const char* staleReason(LinkState state);

// The big mark the Gauges tab shows over stale values: "" while live.
const char* staleMark(LinkState state);

}  // namespace kvr
