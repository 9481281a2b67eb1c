#include "widgets/recording_clock.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QPointer>
#include <algorithm>
#include <chrono>

#include "widgets/model/clock_schedule.h"

namespace {

constexpr std::chrono::milliseconds kTick{16};

uint32_t tickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Owned by the application object, so the thread stops while the event
// loop it posts to still exists.
QPointer<TAbFlashTimer>& theClock() {
    static QPointer<TAbFlashTimer> clock;
    return clock;
}

}  // namespace

TAbFlashTimer& TAbFlashTimer::instance() {
    if (!theClock()) theClock() = new TAbFlashTimer;
    return *theClock();
}

TAbFlashTimer* TAbFlashTimer::existing() { return theClock().data(); }

TAbFlashTimer::TAbFlashTimer() : QObject(QCoreApplication::instance()) {
    started_ = std::chrono::steady_clock::now();
    thread_ = std::thread([this] { run(); });
}

TAbFlashTimer::~TAbFlashTimer() {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
}

void TAbFlashTimer::run() {
    // Tick n falls n * 16 ms after the start. The thread sleeps until the
    // next tick that may be wanted, at least one tick on, and counts every
    // tick that passed meanwhile.
    std::unique_lock<std::mutex> lock(wakeMutex_);
    uint32_t tick = 0, posted = 0;
    while (!stop_) {
        uint32_t next = 0;
        const bool any = nextWanted(tick, next);
        const auto changed = [this] { return stop_ || wantsChanged_; };
        if (any) {
            wake_.wait_until(lock, started_ + kTick * next, changed);
        } else {
            wake_.wait(lock, changed);
        }
        wantsChanged_ = false;
        if (stop_) break;
        threadWakes_.fetch_add(1, std::memory_order_relaxed);
        tick = static_cast<uint32_t>((std::chrono::steady_clock::now() - started_) / kTick);
        threadTicks_.store(tick, std::memory_order_relaxed);
        // A tick reaches the GUI thread once at most, however often the
        // thread is woken within it.
        if (tick == posted || !wanted(tick)) continue;
        // One tick in flight at a time: the next waits until the GUI
        // thread has handled this one, so a busy GUI is not flooded.
        bool idle = false;
        if (pending_.compare_exchange_strong(idle, true)) {
            posted = tick;
            QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection);
        }
    }
}

bool TAbFlashTimer::nextWanted(uint32_t after, uint32_t& tick) const {
    bool any = false;
    auto consider = [&](uint32_t t) {
        // Not before the tick after `after`: a tick already wanted but not
        // yet taken (the GUI thread busy) is looked at again one tick on.
        if (static_cast<int32_t>(t - (after + 1)) < 0) t = after + 1;
        if (!any || static_cast<int32_t>(t - tick) < 0) tick = t;
        any = true;
    };
    if (customSource_.load(std::memory_order_acquire)) consider(after + 1);
    if (anyDue_.load(std::memory_order_acquire)) {
        // The first tick at or after the due time.
        const int32_t ms = static_cast<int32_t>(nextDueMs_.load(std::memory_order_acquire) - tickCount());
        const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(ms, 0));
        consider(static_cast<uint32_t>((due - started_ + kTick - std::chrono::nanoseconds(1)) / kTick));
    }
    if (flashWatched_.load(std::memory_order_acquire)) {
        // The tick whose base count starts the next group of 16.
        const uint32_t nextGroup = (deliveredBase_.load(std::memory_order_acquire) | 15u) + 1;
        consider(nextGroup - tickOffset_.load(std::memory_order_acquire));
    }
    return any;
}

void TAbFlashTimer::wakeThread() {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        wantsChanged_ = true;
    }
    wake_.notify_one();
}

bool TAbFlashTimer::wanted(uint32_t tick) const {
    if (customSource_.load(std::memory_order_acquire)) return true;
    if (anyDue_.load(std::memory_order_acquire) &&
        static_cast<int32_t>(tickCount() - nextDueMs_.load(std::memory_order_acquire)) >= 0)
        return true;
    if (flashWatched_.load(std::memory_order_acquire)) {
        // Blinking follows bit 4 of the base-tick count, so a tick matters
        // to the meters once the count it would be delivered as has left
        // the group of 16 that the last delivery was in.
        const uint32_t base = tick + tickOffset_.load(std::memory_order_acquire);
        if ((base >> 4) != (deliveredBase_.load(std::memory_order_acquire) >> 4)) return true;
    }
    return false;
}

uint32_t TAbFlashTimer::baseTicks() const {
    const auto passed = static_cast<uint32_t>((std::chrono::steady_clock::now() - started_) / kTick);
    return baseTicks_ + (passed - deliveredTicks_);
}

void TAbFlashTimer::deliver() {
    pending_ = false;
    ++deliveries_;
    // The ticks the thread counted without waking us still count.
    const uint32_t tick = threadTicks_.load(std::memory_order_relaxed);
    const uint32_t skipped = tick - deliveredTicks_;
    if (skipped > 1) baseTicks_ += skipped - 1;
    deliveredTicks_ = tick;
    baseTick();
}

void TAbFlashTimer::publishWants() {
    uint32_t at = 0;
    const bool any = schedule_.nextDue(now(), at);
    nextDueMs_.store(at, std::memory_order_release);
    anyDue_.store(any, std::memory_order_release);
    tickOffset_.store(baseTicks_ - deliveredTicks_, std::memory_order_release);
    deliveredBase_.store(baseTicks_, std::memory_order_release);
    flashWatched_.store(isSignalConnected(QMetaMethod::fromSignal(&TAbFlashTimer::flash)), std::memory_order_release);
    wakeThread();
}

void TAbFlashTimer::connectNotify(const QMetaMethod& signal) {
    if (signal != QMetaMethod::fromSignal(&TAbFlashTimer::flash)) return;
    flashWatched_ = true;
    wakeThread();
}

void TAbFlashTimer::disconnectNotify(const QMetaMethod&) {
    flashWatched_ = isSignalConnected(QMetaMethod::fromSignal(&TAbFlashTimer::flash));
}

void TAbFlashTimer::setTickSource(std::function<uint32_t()> source) {
    tickSource_ = std::move(source);
    customSource_ = static_cast<bool>(tickSource_);
    publishWants();
}

uint32_t TAbFlashTimer::now() const { return tickSource_ ? tickSource_() : tickCount(); }

void TAbFlashTimer::registerClient(QObject* client, int intervalMs, std::function<void(uint32_t)> onTick) {
    schedule_.add(client, static_cast<uint32_t>(intervalMs), now());
    for (auto& h : handlers_) {
        if (h.first == client) {
            h.second = std::move(onTick);
            return;
        }
    }
    handlers_.emplace_back(client, std::move(onTick));
    publishWants();
}

void TAbFlashTimer::unregisterClient(QObject* client) {
    schedule_.remove(client);
    for (auto it = handlers_.begin(); it != handlers_.end(); ++it) {
        if (it->first == client) {
            handlers_.erase(it);
            break;
        }
    }
    publishWants();
}

void TAbFlashTimer::baseTick() {
    ++baseTicks_;
    for (const auto& due : schedule_.tick(now())) {
        for (auto& h : handlers_) {
            if (h.first == due.client) {
                auto handler = h.second;  // the handler may unregister its client
                handler(due.lateness);
                break;
            }
        }
    }
    emit flash(baseTicks_);
    publishWants();
}
