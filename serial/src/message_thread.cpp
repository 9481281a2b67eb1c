// SioMessage and its message thread: one notification per call, delivered
// through the notify handler the program sets (there are no window messages).
#include <atomic>
#include <new>

#include "diagnostics.h"
#include "event_wait.h"
#include "port_table.h"
#include "tolk.h"

using namespace tolk;

namespace {

std::atomic<SioNotifyHandler> gNotify{nullptr};
std::atomic<void*> gNotifyContext{nullptr};
std::atomic<uint32_t> gLastToken{0};

// What the thread works with, copied when it is armed: later SioMessage calls
// change the port record, not a running thread.
struct Arming {
    int port;
    void* window;
    uint16_t message;
    uint32_t mask;
    uint8_t eventChar;
    bool synchronous;
    uint32_t generation;  // the port's open the thread belongs to
    uint32_t token;       // how the thread recognises its own record
};

void* messageThread(void* arg) {
    const Arming a = *static_cast<Arming*>(arg);
    delete static_cast<Arming*>(arg);

    // A synchronous port has no wait to make; a port closed meanwhile counts
    // as a release. Either way exactly one notification follows.
    if (!a.synchronous && enterGate(a.port, a.generation)) {
        waitForEvents(a.port, a.mask, a.eventChar, kNoLimit, false);
        leaveGate(a.port);
    }
    if (a.window != nullptr) {
        if (SioNotifyHandler notify = gNotify.load())
            notify(a.window, a.message, a.port, gNotifyContext.load());
    }
    // Clear the record only if it is still ours: SioDone may have cleared it
    // and a later SioMessage armed another thread.
    uint32_t mine = a.token;
    gGates[a.port].messageThread.compare_exchange_strong(mine, 0);
    gLib.threadsEnded.fetch_add(1);
    return nullptr;
}

uint32_t nextToken() {
    uint32_t t;
    do
        t = gLastToken.fetch_add(1) + 1;
    while (t == 0);
    return t;
}

}  // namespace

extern "C" {

TOLK_API int SioSetNotifyHandler(SioNotifyHandler handler, void* context) {
    gNotifyContext.store(context);
    gNotify.store(handler);
    return 0;
}

TOLK_API int SioMessage(int port, void* window, unsigned short message, unsigned mask) {
    if (int e = checkPort(port)) return e;
    os().sleepMs(0);  // let a thread that is about to end do so
    PortRecord& rec = gPorts[port];
    PortIo& io = gIo[port];
    rec.notifyWindow = reinterpret_cast<uintptr_t>(window);
    rec.eventMask = mask;
    rec.notifyMessage = message;
    if (window == nullptr) {
        if (io.wakeFd >= 0) os().wakeSignal(io.wakeFd);
        return 1;
    }
    os().sleepMs(0);
    PortGate& gate = gGates[port];
    if (gate.messageThread.load() != 0) return 1;

    auto* arming = new (std::nothrow) Arming{port,
                                             window,
                                             message,
                                             mask,
                                             rec.lineSettings->EvtChar,
                                             synchronousPath(),
                                             gate.generation.load(),
                                             nextToken()};
    if (arming != nullptr) {
        // Armed here, on the caller's thread: a release from now on is kept
        // for the thread even if it has not started waiting yet.
        if (io.wakeFd >= 0) os().wakeDrain(io.wakeFd);
        gate.messageThread.store(arming->token);
        // Counted before the start, so "started" is never behind "ended"
        // and equal counts mean no thread is left.
        gLib.threadsStarted.fetch_add(1);
        if (os().startThread(messageThread, arming) == 0) return 0;
        gLib.threadsStarted.fetch_sub(1);
        gate.messageThread.store(0);
        delete arming;
    }
    report("Info", "Cannot create message thread");
    return SIO_E_THREAD;
}

}  // extern "C"
