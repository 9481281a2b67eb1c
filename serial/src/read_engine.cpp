#include "read_engine.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "port_table.h"

namespace tolk {
namespace {

// Guards each port's read-ahead (and the reads that fill it): the caller's
// thread reads, while a message thread may look for received bytes or the
// event character at the same time. Held only around non-blocking work.
std::mutex gReadLock[kPortCount];

Fill fillLocked(int port);

// New bytes for a message thread that waits for them (see PortGate).
void wakeInputWatcher(int port, const uint8_t* bytes, uint32_t n) {
    const uint32_t watch = gGates[port].inputWatch.load(std::memory_order_relaxed);
    if (watch == 0) return;
    const bool hit = (watch & kWatchAny) ||
                     ((watch & kWatchChar) && std::memchr(bytes, static_cast<int>(watch & 0xFF), n) != nullptr);
    if (hit && gIo[port].wakeFd >= 0) os().wakeSignal(gIo[port].wakeFd);
}

// The read timeouts, as the completion rule for a read of n bytes.
struct ReadRule {
    bool immediate = false;      // return at once with what is there
    bool firstByteWait = false;  // wait up to `total` for one byte, then return
    uint64_t total = 0;          // total time limit; 0: none
    uint32_t interval = 0;       // gap after a byte that ends the read; 0: none
};

ReadRule ruleFor(const Timeouts& t, uint32_t n) {
    ReadRule r;
    if (t.readInterval == kNoLimit && t.readTotalMultiplier == 0 && t.readTotalConstant == 0) {
        r.immediate = true;
    } else if (t.readInterval == kNoLimit && t.readTotalMultiplier == kNoLimit &&
               t.readTotalConstant != 0 && t.readTotalConstant != kNoLimit) {
        r.firstByteWait = true;
        r.total = t.readTotalConstant;
    } else {
        r.total = static_cast<uint64_t>(t.readTotalMultiplier) * n + t.readTotalConstant;
        r.interval = t.readInterval == kNoLimit ? 0 : t.readInterval;
    }
    return r;
}

constexpr int64_t kNever = INT64_MAX;

// Milliseconds until the rule ends the read by time (0: it has); kNever when
// nothing will.
int64_t timeLeft(const ReadRule& r, const ReadOp& op, uint32_t now) {
    int64_t left = kNever;
    if (r.total != 0) {
        left = static_cast<int64_t>(r.total) - static_cast<uint32_t>(now - op.started);
    }
    if (r.interval != 0 && op.got > 0) {
        left = std::min(left, static_cast<int64_t>(r.interval) - static_cast<uint32_t>(now - op.lastByte));
    }
    return std::max<int64_t>(left, 0);
}

bool complete(const ReadRule& r, const ReadOp& op, uint32_t now) {
    if (op.got >= op.wanted || r.immediate) return true;
    if (r.firstByteWait && op.got > 0) return true;
    return timeLeft(r, op, now) == 0;
}

// Copies what is waiting into the read's destination. False: device gone.
bool collect(int port, ReadOp& op) {
    std::lock_guard<std::mutex> hold(gReadLock[port]);
    ReadAhead& ra = gReadAhead[port];
    bool gone = false;
    while (op.got < op.wanted) {
        if (ra.count() == 0) {
            Fill f = fillLocked(port);
            if (f == Fill::Gone) gone = true;
            if (f != Fill::Got) break;
        }
        uint32_t n = std::min(ra.count(), op.wanted - op.got);
        std::memcpy(op.dest + op.got, ra.data + ra.head, n);
        ra.head += n;
        op.got += n;
        op.lastByte = os().tickMs();
    }
    return !gone;
}

Fill fillLocked(int port) {
    PortRecord& rec = gPorts[port];
    ReadAhead& ra = gReadAhead[port];
    if (rec.hungUp) return Fill::Gone;
    if (ra.head == ra.tail) ra.clear();
    if (ra.tail == ReadAhead::kSize) {
        std::memmove(ra.data, ra.data + ra.head, ra.count());
        ra.tail -= ra.head;
        ra.head = 0;
    }
    if (ra.tail == ReadAhead::kSize) return Fill::Got;  // full: nothing more to take now
    long n = os().read(rec.handle, ra.data + ra.tail, ReadAhead::kSize - ra.tail);
    if (n > 0) {
        wakeInputWatcher(port, ra.data + ra.tail, static_cast<uint32_t>(n));
        ra.tail += static_cast<uint32_t>(n);
        return Fill::Got;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return Fill::Empty;
    // End of file or an I/O error: with reads of at least one byte, that is a
    // line that has hung up (adapter unplugged, the other end closed).
    rec.hungUp = true;
    return Fill::Gone;
}

}  // namespace

Fill fillReadAhead(int port) {
    std::lock_guard<std::mutex> hold(gReadLock[port]);
    return fillLocked(port);
}

int waitingInput(int port) {
    std::lock_guard<std::mutex> hold(gReadLock[port]);
    ReadAhead& ra = gReadAhead[port];
    if (ra.count() == 0 && fillLocked(port) == Fill::Gone) return -1;
    int queued = 0;
    if (!gPorts[port].hungUp && os().inQueue(gPorts[port].handle, &queued) != 0) {
        if (errno == EIO) gPorts[port].hungUp = true;
        queued = 0;
    }
    return static_cast<int>(ra.count()) + std::max(queued, 0);
}

int takeByte(int port) {
    std::lock_guard<std::mutex> hold(gReadLock[port]);
    ReadAhead& ra = gReadAhead[port];
    if (ra.count() == 0) {
        Fill f = fillLocked(port);
        if (f == Fill::Gone) return -2;
        if (f == Fill::Empty) return -1;
    }
    return ra.data[ra.head++];
}

int32_t startRead(int port, uint8_t* dest, uint32_t n) {
    PortIo& io = gIo[port];
    ReadOp& op = io.readOp;
    op.dest = dest;
    op.wanted = n;
    op.got = 0;
    op.started = op.lastByte = os().tickMs();
    if (n > 0) dest[0] = 0;
    io.bytesRead = 0;
    bool alive = collect(port, op);
    io.bytesRead = op.got;
    if (!alive && op.got == 0) return io.readState = kOpFailed;
    Timeouts& t = gPorts[port].deviceTimeouts;
    bool done = !alive || complete(ruleFor(t, n), op, os().tickMs());
    return io.readState = done ? kOpDone : kOpPending;
}

int32_t awaitRead(int port, uint32_t waitMs) {
    PortIo& io = gIo[port];
    ReadOp& op = io.readOp;
    const ReadRule rule = ruleFor(gPorts[port].deviceTimeouts, op.wanted);
    const uint32_t begin = os().tickMs();
    for (;;) {
        bool alive = collect(port, op);
        io.bytesRead = op.got;
        uint32_t now = os().tickMs();
        if (!alive) return io.readState = op.got > 0 ? kOpDone : kOpFailed;
        if (complete(rule, op, now)) return io.readState = kOpDone;
        int64_t budget = timeLeft(rule, op, now);
        if (waitMs != kNoLimit) {
            int64_t mine = static_cast<int64_t>(waitMs) - static_cast<uint32_t>(now - begin);
            if (mine <= 0) return io.readState = kOpPending;
            budget = std::min(budget, mine);
        }
        int r = os().waitFor(gPorts[port].handle, POLLIN, -1,
                             budget == kNever ? -1 : static_cast<int>(std::min<int64_t>(budget, INT32_MAX)));
        if (r == -1) return io.readState = kOpFailed;
    }
}

void clearReadAhead(int port) {
    std::lock_guard<std::mutex> hold(gReadLock[port]);
    gReadAhead[port].clear();
}

InputView inspectInput(int port, bool findChar, uint8_t ch) {
    std::lock_guard<std::mutex> hold(gReadLock[port]);
    ReadAhead& ra = gReadAhead[port];
    const bool gone = fillLocked(port) == Fill::Gone;
    InputView v;
    v.any = ra.count() > 0;
    v.full = ra.count() == ReadAhead::kSize;
    v.gone = gone && !v.any;
    v.eventChar = findChar && v.any && std::memchr(ra.data + ra.head, ch, ra.count()) != nullptr;
    return v;
}

}  // namespace tolk
