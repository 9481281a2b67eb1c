// TAbFlashTimer: the one recording clock of the program. A background thread
// counts a tick every 16 ms and hands base ticks to the GUI thread, where the
// registered recorders get their due ticks and blinking meters their flash.
// It wakes the GUI thread only on a tick where something is due: a recorder,
// or a blinking meter's change of colour; and the thread itself sleeps until
// such a tick, not through every one. The ticks in between still count, so
// due times and the blink rhythm keep the 16 ms resolution.
#pragma once

#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "widgets/model/clock_schedule.h"

class TAbFlashTimer : public QObject {
    Q_OBJECT
public:
    // The process-wide clock, made at first use.
    static TAbFlashTimer& instance();
    // The clock if it exists, without making one (for clients going away).
    static TAbFlashTimer* existing();
    ~TAbFlashTimer() override;

    // A recorder: gets a tick, with its lateness in ms, every interval.
    void registerClient(QObject* client, int intervalMs, std::function<void(uint32_t)> onTick);
    void unregisterClient(QObject* client);
    bool isRegistered(QObject* client) const { return schedule_.contains(client); }

    // The base-tick count now: the ticks the GUI thread has handled and the
    // ones passed since.
    uint32_t baseTicks() const;
    // How often the thread has woken the GUI thread.
    uint32_t deliveries() const { return deliveries_; }
    // How often the thread itself has woken.
    uint32_t threadWakes() const { return threadWakes_.load(std::memory_order_relaxed); }

    // Runs one base tick now, as the thread does; for tests and benchmarks.
    void baseTick();

    // The millisecond tick counter that due times are reckoned on; tests
    // put a counter of their own here. An empty function restores the
    // system's monotonic clock.
    void setTickSource(std::function<uint32_t()> source);

signals:
    // Every base tick, after the recorders; blinking meters repaint on it.
    void flash(uint32_t baseTicks);

protected:
    void connectNotify(const QMetaMethod& signal) override;
    void disconnectNotify(const QMetaMethod& signal) override;

private:
    TAbFlashTimer();
    Q_INVOKABLE void deliver();
    uint32_t now() const;
    // Tells the thread when the GUI thread next needs a tick.
    void publishWants();
    // Whether the thread's tick number `tick` should reach the GUI thread.
    bool wanted(uint32_t tick) const;
    // The first tick after `after` that may be wanted, from what the GUI
    // thread published; false when none will be until it publishes again.
    bool nextWanted(uint32_t after, uint32_t& tick) const;
    // Has the thread look at what is wanted again (after a publish).
    void wakeThread();
    void run();

    kvr::ClockSchedule schedule_;
    std::vector<std::pair<QObject*, std::function<void(uint32_t)>>> handlers_;
    uint32_t baseTicks_ = 0;
    std::function<uint32_t()> tickSource_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> pending_{false};
    // Shared with the thread: its tick count; what the GUI thread last took
    // (base ticks minus thread ticks, and the base-tick count then); the
    // earliest due time; whether blinking meters listen; whether a test's
    // tick source is in use (then every tick is delivered).
    std::atomic<uint32_t> threadTicks_{0};
    uint32_t deliveredTicks_ = 0;  // GUI thread only
    uint32_t deliveries_ = 0;
    std::atomic<uint32_t> tickOffset_{0};
    std::atomic<uint32_t> deliveredBase_{0};
    std::atomic<uint32_t> nextDueMs_{0};
    std::atomic<bool> anyDue_{false};
    std::atomic<bool> flashWatched_{false};
    std::atomic<bool> customSource_{false};
    // The thread sleeps on this until its next wanted tick, or until the
    // GUI thread publishes new wants.
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool wantsChanged_ = false;  // under wakeMutex_
    std::atomic<uint32_t> threadWakes_{0};
    std::chrono::steady_clock::time_point started_;
    std::thread thread_;
};
