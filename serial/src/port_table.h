// The library's state: 256 port entries and the process-wide settings. Plain
// data in fixed tables, allocated once for the life of the process.
#pragma once

#include <atomic>
#include <cstdint>

#include "line_settings.h"
#include "os_layer.h"

namespace tolk {

constexpr int kPortCount = 256;

// States of an operation kind (read, write, event wait) on a port.
enum : int32_t { kOpNone = 0, kOpPending = 2, kOpDone = 3, kOpFailed = -13 };

// A timeouts record: milliseconds, in the order read interval, read total
// multiplier, read total constant, write total multiplier, write total constant.
struct Timeouts {
    uint32_t readInterval = 0;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0;
    uint32_t writeTotalConstant = 0;
};
constexpr uint32_t kNoLimit = 0xFFFFFFFFu;

// Bytes taken from the driver ahead of the caller, so a caller that reads one
// byte at a time does not pay one system call per byte. Every reader goes
// through it; its bytes count as waiting input.
struct ReadAhead {
    static constexpr uint32_t kSize = 4096;
    uint8_t data[kSize];
    uint32_t head = 0;  // next byte to hand out
    uint32_t tail = 0;  // one past the last byte held
    uint32_t count() const { return tail - head; }
    void clear() { head = tail = 0; }
};

// An emulated overlapped read: what was asked and how far it has come. Its
// destination is port storage (one byte) or, for SioGets, the caller's buffer
// while the call waits.
struct ReadOp {
    uint8_t* dest = nullptr;
    uint32_t wanted = 0;
    uint32_t got = 0;
    uint32_t started = 0;   // tick when the read was issued
    uint32_t lastByte = 0;  // tick of the last byte received
    uint8_t byte = 0;       // the destination of one-byte reads
};

// An emulated overlapped write: the caller's data is not copied.
struct WriteOp {
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    uint32_t done = 0;
    uint32_t started = 0;
    uint8_t byte = 0;  // the source of SioPutc
};

struct PortIo {
    int handle = -1;
    ReadOp readOp;
    WriteOp writeOp;
    int wakeFd = -1;  // the eventOp "event": signalled to release a waiter
    int32_t readState = kOpNone;
    int32_t writeState = kOpNone;
    int32_t eventState = kOpNone;
    uint32_t bytesRead = 0;
    uint32_t bytesWritten = 0;
};

struct PortRecord {
    int handle = -1;  // the open device; -1 when the port is closed
    uint8_t lineFlags = 0;  // bit 0 DTR set by caller, bit 1 RTS set by caller
    uint8_t pushback = 0;
    bool hasPushback = false;  // a flag of its own, so 0x00 can be pushed back
    LineSettings* lineSettings = nullptr;
    Timeouts savedTimeouts;   // the device's timeouts before this open
    Timeouts timeouts;        // last set with SioSetTimeouts
    Timeouts deviceTimeouts;  // the timeouts reads and writes follow now
    struct termios openTermios {};  // the tty as found at open: base of every change
    unsigned openTermiosRate = 0;   // its rate then, put back with it by SioDone
    uintptr_t notifyWindow = 0;
    uint32_t eventMask = 0;
    int32_t portIndex = 0;
    uint16_t notifyMessage = 0;
    uint8_t dataMask = 0xFF;
    uint8_t writeNoWait = 0;
    uint32_t readWaitMs = 50;
    // The device went away; reads fail until SioDone. Atomic because a
    // message thread's event wait may notice it too.
    std::atomic<bool> hungUp{false};
    LineCounters lastCounters;  // driver error counters at the last status read
};

// Where a port's event waiters and its closing meet. A waiter (an event wait
// on the caller's thread or a message thread) registers in `waiters` and then
// looks at `closing`; SioDone sets `closing`, wakes the waiters and holds the
// port's wake channel and device open until `waiters` is back to 0. Both
// sides use sequentially consistent operations, so at least one of them sees
// the other: no waiter can use a descriptor after SioDone has closed it.
struct PortGate {
    std::atomic<int> waiters{0};
    std::atomic<bool> closing{false};
    std::atomic<uint32_t> generation{0};  // + 1 at every SioDone
    std::atomic<uint32_t> messageThread{0};  // token of the armed message thread; 0: none
    // What a message thread waits for among received bytes (kWatch* bits and
    // the event character), so that the caller's thread, when it takes bytes
    // from the driver, wakes the thread for them: the thread's own poll of
    // the device would not see bytes that have already left the driver.
    std::atomic<uint32_t> inputWatch{0};
};
enum : uint32_t { kWatchAny = 1u << 16, kWatchChar = 1u << 17 };  // low byte: the character

// Process-wide settings and counters.
struct Library {
    bool initialised = false;
    unsigned openRate = 19200;
    int openDataBits = 8;
    int openParity = 0;
    int openStopBits = 0;
    bool openDtr = false;
    bool openRts = false;
    bool ignoreQueueRefusal = true;
    bool resetDeviceAtOpen = false;
    bool synchronous = false;
    bool anySynchronousOpen = false;  // once set, transfers follow the synchronous path
    int lastOsError = 0;
    bool messageBoxes = true;
    std::atomic<int> threadsStarted{0};
    std::atomic<int> threadsEnded{0};
    int failedCloses = 0;
};

extern PortRecord gPorts[kPortCount];
extern PortIo gIo[kPortCount];
extern LineSettings gLineSettings[kPortCount];
extern ReadAhead gReadAhead[kPortCount];
extern Library gLib;
extern PortGate gGates[kPortCount];

void initialiseLibrary();  // once: marks every port closed, clears flags, picks the mode

// The usual first checks of a call: SIO_E_RANGE, then SIO_E_NOT_OPEN; 0 when fine.
int checkPort(int port);
int checkRange(int port);

// Transfers follow the synchronous path when the mode says so or when any port
// was opened in it.
inline bool synchronousPath() { return gLib.synchronous || gLib.anySynchronousOpen; }

// Stores errno as the last OS error and returns SIO_E_OS_ERROR.
int osFailure();

}  // namespace tolk
