// TAbFlashTimer: the one recording clock of the program. A background thread
// ticks every 16 ms and hands each base tick to the GUI thread, where the
// registered recorders get their due ticks and blinking meters their flash.
#pragma once

#include <QObject>

#include <atomic>
#include <functional>
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

    uint32_t baseTicks() const { return baseTicks_; }

    // Runs one base tick now, as the thread does; for tests and benchmarks.
    void baseTick();

    // The millisecond tick counter that due times are reckoned on; tests
    // put a counter of their own here. An empty function restores the
    // system's monotonic clock.
    void setTickSource(std::function<uint32_t()> source);

signals:
    // Every base tick, after the recorders; blinking meters repaint on it.
    void flash(uint32_t baseTicks);

private:
    TAbFlashTimer();
    Q_INVOKABLE void deliver();
    uint32_t now() const;

    kvr::ClockSchedule schedule_;
    std::vector<std::pair<QObject*, std::function<void(uint32_t)>>> handlers_;
    uint32_t baseTicks_ = 0;
    std::function<uint32_t()> tickSource_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> pending_{false};
    std::thread thread_;
};
