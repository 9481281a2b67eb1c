#include "widgets/recording_clock.h"

#include <QCoreApplication>
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

void TAbFlashTimer::deliver() {
    pending_ = false;
    baseTick();
}

void TAbFlashTimer::setTickSource(std::function<uint32_t()> source) { tickSource_ = std::move(source); }

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
}

void TAbFlashTimer::unregisterClient(QObject* client) {
    schedule_.remove(client);
    for (auto it = handlers_.begin(); it != handlers_.end(); ++it) {
        if (it->first == client) {
            handlers_.erase(it);
            break;
        }
    }
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
}
