#include "dashboard/link/link_state.h"

#include <time.h>

#include <chrono>
#include <ctime>

namespace kvr {

int64_t steadyClockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string localClockText() {
    const time_t now = ::time(nullptr);
    struct tm local {};
    ::localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

const char* staleMark(LinkState state) {
    switch (state) {
    case LinkState::Live: return "";
    case LinkState::Paused: return "PAUSED";
    default: return "NO DATA";
    }
}

const char* staleReason(LinkState state) {
    switch (state) {
    case LinkState::Closed: return "no port open";
    case LinkState::Waiting: return "no live record yet";
    case LinkState::Live: return "";
    case LinkState::Paused: return "polling paused";
    case LinkState::Silent: return "the ECU sent no live record";
    case LinkState::DeviceGone: return "the device went away";
    }
    return "";
}

}  // namespace kvr
