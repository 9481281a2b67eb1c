// What receives the session's live data: every decoded live record, in the
// order they arrived, and every change of the link's state, so a sink can
// mark a gap itself. Calls come on the thread that runs the session's tick.
//
// To add a consumer of live data (a file writer, an analysis): implement
// RecordSink and register it with Session::addSink; unregister it before it
// goes away.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "dashboard/decode/live_record.h"
#include "dashboard/link/link_state.h"

namespace kvr {

struct LinkChange {
    LinkState from = LinkState::Closed;
    LinkState to = LinkState::Closed;
    int64_t atMs = 0;  // monotonic milliseconds
    // When the link was last live (0: never since the port opened); with
    // atMs it gives the length of a gap that just ended.
    int64_t liveUntilMs = 0;
};

class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void onRecord(const LiveRecord& record) = 0;
    virtual void onLinkChange(const LinkChange&) {}
};

// A sink made of a function, for small consumers: a counter, a probe.
class RecordFunction : public RecordSink {
public:
    explicit RecordFunction(std::function<void(const LiveRecord&)> f) : f_(std::move(f)) {}
    void onRecord(const LiveRecord& record) override { f_(record); }

private:
    std::function<void(const LiveRecord&)> f_;
};

}  // namespace kvr
