#include "write_engine.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

#include "port_table.h"

namespace tolk {
namespace {

// Writes as much as the driver takes now. False on a failed write.
bool push(int port, WriteOp& op) {
    while (op.done < op.length) {
        long n = os().write(gPorts[port].handle, op.data + op.done, op.length - op.done);
        if (n > 0) {
            op.done += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
        if (n < 0 && errno == EIO) gPorts[port].hungUp = true;
        return false;
    }
    return true;
}

uint64_t totalLimit(const Timeouts& t, uint32_t n) {
    return static_cast<uint64_t>(t.writeTotalMultiplier) * n + t.writeTotalConstant;
}

}  // namespace

int32_t startWrite(int port, const uint8_t* data, uint32_t n) {
    PortIo& io = gIo[port];
    WriteOp& op = io.writeOp;
    op.data = data;
    op.length = n;
    op.done = 0;
    op.started = os().tickMs();
    io.bytesWritten = 0;
    if (!push(port, op)) return io.writeState = kOpFailed;
    io.bytesWritten = op.done;
    return io.writeState = (op.done == op.length) ? kOpDone : kOpPending;
}

int32_t awaitWrite(int port, uint32_t waitMs) {
    PortIo& io = gIo[port];
    WriteOp& op = io.writeOp;
    const uint64_t limit = totalLimit(gPorts[port].deviceTimeouts, op.length);
    const uint32_t begin = os().tickMs();
    for (;;) {
        bool ok = push(port, op);
        io.bytesWritten = op.done;
        if (!ok) return io.writeState = kOpFailed;
        if (op.done == op.length) return io.writeState = kOpDone;
        uint32_t now = os().tickMs();
        int64_t budget = -1;
        if (limit != 0) {
            budget = static_cast<int64_t>(limit) - static_cast<uint32_t>(now - op.started);
            // The write timed out: it ends with what was sent.
            if (budget <= 0) return io.writeState = kOpDone;
        }
        if (waitMs != kNoLimit) {
            int64_t mine = static_cast<int64_t>(waitMs) - static_cast<uint32_t>(now - begin);
            if (mine <= 0) return io.writeState = kOpPending;
            budget = budget < 0 ? mine : std::min(budget, mine);
        }
        int r = os().waitFor(gPorts[port].handle, POLLOUT, -1,
                             budget < 0 ? -1 : static_cast<int>(std::max<int64_t>(budget, 1)));
        if (r == -1 || (r & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            if (r != -1 && (r & POLLOUT)) continue;
            gPorts[port].hungUp = r != -1;
            return io.writeState = kOpFailed;
        }
    }
}

uint32_t unsentBytes(int port) {
    const PortIo& io = gIo[port];
    return io.writeState == kOpPending ? io.writeOp.length - io.writeOp.done : 0;
}

}  // namespace tolk
