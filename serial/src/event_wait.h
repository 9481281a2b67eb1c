// Waiting for comm events on a port, for SioEventWait on the caller's thread
// and for the message thread beside it.
//
// What the events mean here. Linux has no comm-event wait, so the library
// watches the port itself:
// - "a byte was received" (0x0001) holds while bytes wait to be read, in the
//   driver's queue or already read ahead by the library. A waiter therefore
//   never sleeps past bytes it has not taken, whichever thread moved them from
//   the driver; a caller that leaves bytes unread sees the event at once.
// - "the event character was received" (0x0002) holds while that character
//   is among the bytes waiting to be read. The waiter takes the driver's
//   bytes into the read-ahead to look at them, so they stay readable.
// - "nothing is left to send" (0x0004) holds while the driver's output queue
//   (and, on the caller's thread, a write left running) is empty.
// - Modem-line changes, ring, break and line errors (0x0008 .. 0x0100) are
//   changes after the wait began, seen in the driver's interrupt counters or
//   the modem lines, looked at every 10 ms.
// A release (SioDone, SioSetInteger 'S', SioMessage with a null window)
// signals the port's wake channel.
#pragma once

#include <cstdint>

namespace tolk {

constexpr uint32_t kEventsKnown = 0x01FF;

// The gate between waiters and SioDone (see PortGate). enterGate is false
// when the port is being closed, or was closed since `generation` was read:
// the waiter counts as released and must not touch the port.
bool enterGate(int port, uint32_t generation);
void leaveGate(int port);

// Waits, inside the gate, up to timeoutMs (kNoLimit: none) for an event of
// mask. Returns 3 (event or release), 2 (time ran out) or SIO_E_IO (no known
// event in mask, or the device went away). onCallerThread: the port's own
// thread waits, so port state that only it may touch can be looked at too.
int waitForEvents(int port, uint32_t mask, uint8_t eventChar, uint32_t timeoutMs, bool onCallerThread);

}  // namespace tolk
