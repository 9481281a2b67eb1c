#include "fake_os.h"

#include <poll.h>

#include <algorithm>

namespace {

FakeDevice* gDevice = nullptr;
constexpr int kFd = 4242;

int fail(int err) {
    errno = err;
    return -1;
}

int openDevice(const char* path) {
    gDevice->opened.push_back(path);
    return gDevice->openErrno ? fail(gDevice->openErrno) : kFd;
}
int closeDevice(int) {
    ++gDevice->closes;
    return gDevice->closeErrno ? fail(gDevice->closeErrno) : 0;
}
long readBytes(int, void* buf, unsigned long n) {
    if (gDevice->readErrno) return fail(gDevice->readErrno);
    if (gDevice->input.empty()) return fail(EAGAIN);
    unsigned long k = 0;
    auto* out = static_cast<unsigned char*>(buf);
    while (k < n && !gDevice->input.empty()) {
        out[k++] = gDevice->input.front();
        gDevice->input.pop_front();
    }
    return static_cast<long>(k);
}
long writeBytes(int, const void* buf, unsigned long n) {
    if (gDevice->writeCapacity == 0) return fail(EAGAIN);
    n = std::min<unsigned long>(n, gDevice->writeCapacity);
    gDevice->writeCapacity -= n;
    auto* p = static_cast<const unsigned char*>(buf);
    gDevice->written.insert(gDevice->written.end(), p, p + n);
    return static_cast<long>(n);
}
int getAttr(int, struct termios* t, unsigned* rate) {
    if (gDevice->getAttrErrno) return fail(gDevice->getAttrErrno);
    *t = gDevice->lastAttr;
    *rate = gDevice->lastRate;
    return 0;
}
int setAttr(int, const struct termios* t, unsigned rate) {
    ++gDevice->setAttrCalls;
    if (gDevice->setAttrErrno) return fail(gDevice->setAttrErrno);
    gDevice->lastAttr = *t;
    gDevice->lastRate = rate;
    return 0;
}
int inQueue(int, int* count) {
    *count = static_cast<int>(gDevice->input.size());
    return 0;
}
int outQueue(int, int* count) {
    *count = gDevice->outQueued;
    return 0;
}
int flush(int, tolk::Queue q) {
    ++gDevice->flushes;
    if (q != tolk::Queue::Output) gDevice->input.clear();
    return 0;
}
int modemGet(int, int* bits) {
    if (gDevice->modemErrno) return fail(gDevice->modemErrno);
    *bits = gDevice->modemBits;
    return 0;
}
int modemSet(int, int bits, bool on) {
    gDevice->modemCalls.emplace_back(bits, on);
    if (gDevice->modemErrno) return fail(gDevice->modemErrno);
    gDevice->modemBits = on ? (gDevice->modemBits | bits) : (gDevice->modemBits & ~bits);
    return 0;
}
int breakSet(int, bool on) {
    if (gDevice->breakErrno) return fail(gDevice->breakErrno);
    gDevice->breakOn = on;
    return 0;
}
int counters(int, tolk::LineCounters* c) {
    if (gDevice->countersErrno) return fail(gDevice->countersErrno);
    *c = gDevice->counters;
    return 0;
}
// Time passes only while the library waits or sleeps: 10 ms per wait, or the
// whole wait when it is shorter.
int waitFor(int, short events, int wakeFd, int timeoutMs) {
    if (gDevice->onWait) gDevice->onWait(*gDevice);
    if (wakeFd >= 0 && gDevice->wakePending) return -2;
    if ((events & POLLIN) && !gDevice->input.empty()) return POLLIN;
    if ((events & POLLOUT) && gDevice->writeCapacity > 0) return POLLOUT;
    gDevice->tick += (timeoutMs >= 0 && timeoutMs < 10) ? static_cast<uint32_t>(timeoutMs) : 10u;
    return 0;
}
int wakeCreate() { return gDevice->wakeFails ? fail(EMFILE) : 77; }
void wakeSignal(int) { gDevice->wakePending = true; }
void wakeDrain(int) { gDevice->wakePending = false; }
void wakeClose(int) {}
// The fake starts no threads (message threads are tested on pseudo-terminals):
// here it shows what a failed thread creation does.
int startThread(void* (*)(void*), void*) { return fail(EAGAIN); }
void sleepMs(uint32_t ms) {
    gDevice->sleeps.push_back(ms);
    gDevice->tick += ms;
}
uint32_t tickMs() { return gDevice->tick; }

const tolk::OsLayer kFake = {openDevice, closeDevice, readBytes, writeBytes, getAttr,    setAttr,
                             inQueue,    outQueue,    flush,     modemGet,   modemSet,   breakSet,
                             counters,   waitFor,     wakeCreate, wakeSignal, wakeDrain, wakeClose,
                             startThread, sleepMs,    tickMs};

}  // namespace

FakeOs::FakeOs() {
    gDevice = new FakeDevice;
    tolk::installOs(&kFake);
}
FakeOs::~FakeOs() {
    tolk::installOs(nullptr);
    delete gDevice;
    gDevice = nullptr;
}
FakeDevice& FakeOs::dev() { return *gDevice; }
