// Link health: whether the live data is fresh, the reason when it is not,
// and reopening a port whose device went away.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "dashboard/dashboard_core.h"
#include "dashboard/text_numbers.h"
#include "tolk.h"

namespace kvr {

namespace {

constexpr int kQueueSize = 8192;
constexpr int64_t kReopenEveryMs = 1000;
constexpr int64_t kMinFreshnessMs = 1000;

std::string seconds(int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, ms < 10000 ? "%.1f s" : "%.0f s", static_cast<double>(ms) / 1000.0);
    return text;
}

}  // namespace

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

int64_t DashboardCore::freshnessLimitMs() const {
    const auto interval = decimalNumber(in.SpinEdit5Text);
    const int64_t dataInterval = interval ? std::clamp<int64_t>(*interval, 0, 9999) : 45;
    return std::max(kMinFreshnessMs, 2 * dataInterval);
}

LinkState DashboardCore::linkState() const {
    if (!PortOpen) return LinkState::Closed;
    if (reconnecting_) return LinkState::DeviceGone;
    if (paused_) return LinkState::Paused;
    if (!recordSinceOpen_) return LinkState::Waiting;
    return monotonicMs() - lastRecordMs_ <= freshnessLimitMs() ? LinkState::Live : LinkState::Silent;
}

std::string DashboardCore::linkStatusText() const {
    const std::string com = "COM" + std::to_string(PortNumber + 1);
    const int64_t now = monotonicMs();
    switch (linkState()) {
    case LinkState::Closed: return "No port open: no live data";
    case LinkState::Live: return com + ": live data";
    case LinkState::Paused: return com + ": polling paused: no live data, nothing recorded (Resume goes on)";
    case LinkState::Waiting:
        return com + ": waiting for the ECU: no live record for " + seconds(now - openedMs_) +
               (ValuesLoaded ? "" : ", no values image yet");
    case LinkState::Silent:
        return com + ": the ECU has sent no live record for " + seconds(now - lastRecordMs_) +
               ": nothing recorded until it answers";
    case LinkState::DeviceGone:
        return com + ": the device went away " + seconds(now - lostMs_) +
               " ago: reopening it every second (Close Com Port stops)";
    }
    return com;
}

void DashboardCore::resetLinkWatch() {
    paused_ = false;
    reconnecting_ = false;
    recordSinceOpen_ = false;
    openedMs_ = monotonicMs();
}

void DashboardCore::reportLostDevice(int result) {
    // A pulled adapter leaves the port open but dead: say so once, close the
    // dead handle, and reopen the same device once it is back.
    if (result != SIO_E_IO || deviceLost_ || !PortOpen) return;
    deviceLost_ = true;
    reconnecting_ = true;
    lostMs_ = monotonicMs();
    nextReopenMs_ = lostMs_ + kReopenEveryMs;
    out.AbLED3 = false;
    out.AbLED4 = true;
    port_.done(PortNumber);
    memo(localClockText() + " COM" + std::to_string(PortNumber + 1) +
         " link lost: the device went away; reopening it every second");
}

void DashboardCore::tryReopen() {
    const int64_t now = monotonicMs();
    if (now < nextReopenMs_) return;
    nextReopenMs_ = now + kReopenEveryMs;
    if (port_.reset(PortNumber, kQueueSize, kQueueSize) < 0) return;
    port_.baud(PortNumber, static_cast<unsigned>(BaudRate));
    port_.rxClear(PortNumber);
    port_.txClear(PortNumber);
    // The framer starts afresh: a line cut by the loss is no line.
    resetFramer();
    lineCut_ = false;
    deviceLost_ = false;
    reconnecting_ = false;
    recordSinceOpen_ = false;
    openedMs_ = now;
    memo(localClockText() + " COM" + std::to_string(PortNumber + 1) + " link back after " +
         seconds(now - lostMs_) + (ValuesLoaded ? ": polling again" : ": asking for the values image"));
    // The image first if none was fetched, then polling, as after an open.
    if (!ValuesLoaded) {
        FetchState = 0;
        out.Timer1Interval = 500;
    } else {
        port_.putc(PortNumber, 13);
        sendPoll();
    }
}

}  // namespace kvr
