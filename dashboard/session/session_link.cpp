// Link health: whether the live data is fresh, the reason when it is not,
// telling the sinks when that changes, and reopening a port whose device
// went away.
#include <algorithm>
#include <cstdio>

#include "dashboard/decode/text_numbers.h"
#include "dashboard/session/session.h"
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

int64_t Session::freshnessLimitMs() const {
    const auto interval = decimalNumber(dataIntervalText);
    const int64_t dataInterval = interval ? std::clamp<int64_t>(*interval, 0, 9999) : 45;
    return std::max(kMinFreshnessMs, 2 * dataInterval);
}

LinkState Session::linkState() const {
    if (!portOpen) return LinkState::Closed;
    if (reconnecting_) return LinkState::DeviceGone;
    if (paused_) return LinkState::Paused;
    if (!recordSinceOpen_) return LinkState::Waiting;
    return monotonicMs() - lastRecordMs_ <= freshnessLimitMs() ? LinkState::Live : LinkState::Silent;
}

void Session::checkLink() {
    const LinkState now = linkState();
    if (now == reportedState_) return;
    // The data stopped with the newest record, not when it was found stale.
    if (reportedState_ == LinkState::Live) liveUntilMs_ = lastRecordMs_;
    if (now == LinkState::Closed) liveUntilMs_ = 0;
    const LinkChange change{reportedState_, now, monotonicMs(), liveUntilMs_};
    reportedState_ = now;
    const std::vector<RecordSink*> sinks = sinks_;
    for (RecordSink* sink : sinks) sink->onLinkChange(change);
}

std::string Session::linkStatusText() const {
    const std::string com = portLabel();
    const int64_t now = monotonicMs();
    switch (linkState()) {
    case LinkState::Closed: return "No port open: no live data";
    case LinkState::Live: return com + ": live data";
    case LinkState::Paused: return com + ": polling paused: no live data, nothing recorded (Resume goes on)";
    case LinkState::Waiting:
        return com + ": waiting for the ECU: no live record for " + seconds(now - openedMs_) +
               (valuesLoaded ? "" : ", no values image yet");
    case LinkState::Silent:
        return com + ": the ECU has sent no live record for " + seconds(now - lastRecordMs_) +
               ": nothing recorded until it answers";
    case LinkState::DeviceGone:
        return com + ": the device went away " + seconds(now - lostMs_) + " ago: reopening it every second (" +
               stopHint + ")";
    }
    return com;
}

void Session::resetLinkWatch() {
    paused_ = false;
    reconnecting_ = false;
    recordSinceOpen_ = false;
    pollSentMs_.reset();
    openedMs_ = monotonicMs();
}

void Session::reportLostDevice(int result) {
    // A pulled adapter leaves the port open but dead: say so once, close the
    // dead handle, and reopen the same device once it is back.
    if (result != SIO_E_IO || deviceLost_ || !portOpen) return;
    deviceLost_ = true;
    reconnecting_ = true;
    lostMs_ = monotonicMs();
    nextReopenMs_ = lostMs_ + kReopenEveryMs;
    status.receiving = false;
    status.dataError = true;
    port_.done(portNumber);
    messages_.add(localClockText() + " " + portLabel() +
                  " link lost: the device went away; reopening it every second");
}

void Session::tryReopen() {
    const int64_t now = monotonicMs();
    if (now < nextReopenMs_) return;
    nextReopenMs_ = now + kReopenEveryMs;
    if (port_.reset(portNumber, kQueueSize, kQueueSize) < 0) return;
    port_.baud(portNumber, static_cast<unsigned>(baudRate));
    port_.rxClear(portNumber);
    port_.txClear(portNumber);
    // The framer starts afresh: a line cut by the loss is no line.
    framer.reset();
    deviceLost_ = false;
    reconnecting_ = false;
    recordSinceOpen_ = false;
    pollSentMs_.reset();
    openedMs_ = now;
    messages_.add(localClockText() + " " + portLabel() + " link back after " +
                  seconds(now - lostMs_) + (valuesLoaded ? ": polling again" : ": asking for the values image"));
    // The image first if none was fetched, then polling, as after an open.
    if (!valuesLoaded) {
        fetchState = 0;
        status.tickIntervalMs = 500;
    } else {
        port_.putc(portNumber, 13);
        sendPollNow();
    }
}

}  // namespace kvr
