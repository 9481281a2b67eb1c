#include "widgets/recording_clock.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QPointer>
#include <chrono>

#include "widgets/model/clock_schedule.h"

namespace {

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
    thread_ = std::thread([this] {
        while (!stop_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(16));
            const uint32_t tick = threadTicks_.fetch_add(1, std::memory_order_relaxed) + 1;
            if (!wanted(tick)) continue;
            // One tick in flight at a time: the next waits until the GUI
            // thread has handled this one, so a busy GUI is not flooded.
            bool idle = false;
            if (pending_.compare_exchange_strong(idle, true)) {
                QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection);
            }
        }
    });
}

TAbFlashTimer::~TAbFlashTimer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
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
}

void TAbFlashTimer::connectNotify(const QMetaMethod& signal) {
    if (signal == QMetaMethod::fromSignal(&TAbFlashTimer::flash)) flashWatched_ = true;
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
