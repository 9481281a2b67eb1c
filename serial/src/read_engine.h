// Reading from a port: the read-ahead, hang-up detection, and emulated
// overlapped reads that follow the port's timeouts record.
#pragma once

#include <cstdint>

namespace tolk {

enum class Fill { Got, Empty, Gone };

// Moves what the driver holds into the port's read-ahead without blocking.
// Gone marks the port hung up: the device has gone away.
Fill fillReadAhead(int port);

// Bytes waiting: the read-ahead plus the driver's input queue; -1 when the
// device has gone away and nothing is left to read.
int waitingInput(int port);

// Takes one byte from the read-ahead, refilling it once if it is empty.
// Returns the byte, -1 when none is waiting, -2 when the device has gone away.
int takeByte(int port);

// Issues a read of n bytes into dest (port storage or a buffer that outlives
// the wait). Returns the new readState: done, pending or failed.
int32_t startRead(int port, uint8_t* dest, uint32_t n);

// Waits up to waitMs (kNoLimit: no limit) for the pending read to complete by
// the timeouts rule. Returns the new readState.
int32_t awaitRead(int port, uint32_t waitMs);

// Drops everything read ahead.
void clearReadAhead(int port);

// The waiting input as an event waiter sees it, after taking in what the
// driver holds. Safe to call from a message thread while the port's own
// thread reads.
struct InputView {
    bool any = false;        // bytes are waiting to be read
    bool eventChar = false;  // the event character is among them
    bool full = false;       // the read-ahead can take no more
    bool gone = false;       // the device has gone away and nothing is left
};
InputView inspectInput(int port, bool findChar, uint8_t ch);

}  // namespace tolk
