// Byte transfer: SioGetc, SioPutc, SioPuts, SioGets, SioUnGetc, the queue
// counts and purges.
#include <cerrno>

#include "port_table.h"
#include "read_engine.h"
#include "tolk.h"
#include "write_engine.h"

using namespace tolk;

namespace {

int maskedResultOfRead(int port) {
    const PortIo& io = gIo[port];
    if (io.bytesRead == 0) return SIO_E_NO_DATA;
    return io.readOp.byte & gPorts[port].dataMask;
}

// Before a new write: a pending one is looked at without waiting.
bool writerBusy(int port) {
    if (gIo[port].writeState != kOpPending) return false;
    return awaitWrite(port, 0) == kOpPending;
}

// Writes n bytes from data and reports the count as the write calls do.
int writeAndCount(int port, const uint8_t* data, uint32_t n, bool noWait) {
    int32_t state = startWrite(port, data, n);
    if (state == kOpFailed) return SIO_E_IO;
    if (noWait) return 1;
    if (state == kOpPending) state = awaitWrite(port, kNoLimit);
    if (state != kOpDone) return 0;
    return static_cast<int>(gIo[port].bytesWritten);
}

}  // namespace

extern "C" {

TOLK_API int SioGetc(int port) {
    if (int e = checkPort(port)) return e;
    PortRecord& rec = gPorts[port];
    PortIo& io = gIo[port];
    if (rec.hasPushback) {
        rec.hasPushback = false;
        return rec.pushback;
    }
    // The common case: a byte is already read ahead, or the driver has one.
    if (io.readState != kOpPending) {
        int c = takeByte(port);
        if (c >= 0) {
            io.readOp.byte = static_cast<uint8_t>(c);
            io.bytesRead = 1;
            io.readState = kOpDone;
            return c & rec.dataMask;
        }
        if (c == -2) {
            io.readState = kOpFailed;
            return SIO_E_IO;
        }
        // Nothing waiting: the port's timeouts decide whether the read waits.
        if (startRead(port, &io.readOp.byte, 1) == kOpFailed) return SIO_E_IO;
    }
    if (io.readState == kOpPending) {
        const uint32_t wait = synchronousPath() ? kNoLimit : rec.readWaitMs;
        int32_t state = awaitRead(port, wait);
        if (state == kOpPending) return SIO_E_IO;
        if (state == kOpFailed) return SIO_E_IO;
    }
    return maskedResultOfRead(port);
}

TOLK_API int SioGets(int port, void* buffer, int count) {
    if (int e = checkPort(port)) return e;
    if (count < 0 || (count > 0 && buffer == nullptr)) return SIO_E_BAD_ARG;
    if (count == 0) return 0;
    PortRecord& rec = gPorts[port];
    PortIo& io = gIo[port];
    auto* out = static_cast<uint8_t*>(buffer);
    // A pushed-back byte is delivered alone, so it is neither lost nor
    // reordered behind newer bytes.
    if (rec.hasPushback) {
        rec.hasPushback = false;
        out[0] = rec.pushback;
        return 1;
    }
    // An earlier one-byte read still pending is finished first: its byte is older.
    if (io.readState == kOpPending) {
        int32_t state = awaitRead(port, kNoLimit);
        if (state == kOpDone && io.bytesRead > 0) {
            out[0] = io.readOp.byte & rec.dataMask;
            return 1;
        }
    }
    int32_t state = startRead(port, out, static_cast<uint32_t>(count));
    if (state == kOpFailed) return SIO_E_IO;
    if (state == kOpPending) state = awaitRead(port, kNoLimit);
    const uint32_t got = io.readOp.got;
    if (state == kOpFailed && got == 0) return SIO_E_IO;
    for (uint32_t i = 0; i < got; ++i) out[i] &= rec.dataMask;
    io.readOp.dest = &io.readOp.byte;  // the caller's buffer is not kept
    return static_cast<int>(got);
}

TOLK_API int SioRead(int) { return -1; }

TOLK_API int SioUnGetc(int port, unsigned char value) {
    if (int e = checkPort(port)) return e;
    gPorts[port].pushback = value;
    gPorts[port].hasPushback = true;
    return 0;
}

TOLK_API int SioPutc(int port, unsigned char value) {
    if (int e = checkPort(port)) return e;
    if (writerBusy(port)) return SIO_E_NO_DATA;
    WriteOp& op = gIo[port].writeOp;
    op.byte = value;
    return writeAndCount(port, &op.byte, 1, false);
}

TOLK_API int SioPuts(int port, const void* data, int count) {
    if (int e = checkPort(port)) return e;
    if (data == nullptr || count <= 0) return SIO_E_BAD_ARG;
    if (writerBusy(port)) return SIO_E_NO_DATA;
    return writeAndCount(port, static_cast<const uint8_t*>(data), static_cast<uint32_t>(count),
                         gPorts[port].writeNoWait != 0);
}

TOLK_API int SioRxQue(int port) {
    if (int e = checkPort(port)) return e;
    int n = waitingInput(port);
    return n < 0 ? SIO_E_IO : n;
}

TOLK_API int SioTxQue(int port) {
    if (int e = checkPort(port)) return e;
    if (gIo[port].writeState == kOpPending) awaitWrite(port, 0);
    int queued = 0;
    if (os().outQueue(gPorts[port].handle, &queued) != 0) queued = 0;
    // A write left running (write-no-wait) counts with what it has not yet
    // handed to the driver.
    return queued + static_cast<int>(unsentBytes(port));
}

TOLK_API int SioRxClear(int port) {
    if (int e = checkPort(port)) return e;
    os().flush(gPorts[port].handle, Queue::Input);
    clearReadAhead(port);
    gPorts[port].hasPushback = false;
    return 0;
}

TOLK_API int SioTxClear(int port) {
    if (int e = checkPort(port)) return e;
    os().flush(gPorts[port].handle, Queue::Output);
    return 0;
}

}  // extern "C"
