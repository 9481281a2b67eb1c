// The recording clock on its real thread: it wakes the GUI thread only for a
// due recorder or a blinking meter's change of colour, while its base ticks
// keep counting every 16 ms in between; and the thread itself sleeps until
// such a tick instead of waking for every one.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <set>

#include "widgets/recording_clock.h"

namespace {

void runEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(RecordingClock, ARecorderGetsItsTicksWithoutTheGuiThreadWokenInBetween) {
    TAbFlashTimer& clock = TAbFlashTimer::instance();
    QObject recorder;
    int ticks = 0;
    const uint32_t base0 = clock.baseTicks(), woken0 = clock.deliveries();
    QElapsedTimer took;
    took.start();
    clock.registerClient(&recorder, 100, [&](uint32_t) { ++ticks; });
    runEventLoopFor(1050);
    const double seconds = took.elapsed() / 1000.0;
    clock.unregisterClient(&recorder);
    const uint32_t woken = clock.deliveries() - woken0;

    // Loose bounds: a loaded machine runs late, never early.
    EXPECT_GE(ticks, 5);
    EXPECT_LE(ticks, 11);
    EXPECT_LE(woken, static_cast<uint32_t>(ticks) + 3) << "one wake per due tick, not one per 16 ms";
    const uint32_t base = clock.baseTicks() - base0;
    EXPECT_GE(base, 30u) << "the ticks in between still count";
    EXPECT_LE(base, static_cast<uint32_t>(seconds * 1000 / 16) + 2);

    const uint32_t idle0 = clock.deliveries();
    runEventLoopFor(300);
    EXPECT_EQ(clock.deliveries(), idle0) << "nothing due: the GUI thread sleeps";
}

TEST(RecordingClock, ItsThreadSleepsUntilATickIsWanted) {
    TAbFlashTimer& clock = TAbFlashTimer::instance();
    runEventLoopFor(50);  // whatever an earlier test left is taken
    uint32_t wakes0 = clock.threadWakes();
    const uint32_t base0 = clock.baseTicks();
    runEventLoopFor(400);
    EXPECT_LE(clock.threadWakes() - wakes0, 1u) << "nothing wanted: not one wake per 16 ms (25 in 400 ms)";

    // A 100 ms recorder: a wake for each due tick and one for the wants the
    // GUI thread publishes after it, not 60 a second.
    QObject recorder;
    int ticks = 0;
    wakes0 = clock.threadWakes();
    clock.registerClient(&recorder, 100, [&](uint32_t) { ++ticks; });
    runEventLoopFor(1000);
    clock.unregisterClient(&recorder);
    const uint32_t wakes = clock.threadWakes() - wakes0;
    EXPECT_GE(ticks, 5);
    EXPECT_LE(wakes, 2u * static_cast<uint32_t>(ticks) + 4);
    EXPECT_GE(clock.baseTicks() - base0, 60u) << "the ticks it slept through are counted";
}

TEST(RecordingClock, ABlinkingMeterIsWokenOnEachChangeOfColourOnly) {
    TAbFlashTimer& clock = TAbFlashTimer::instance();
    QObject meter;
    std::vector<uint32_t> flashes;
    QObject::connect(&clock, &TAbFlashTimer::flash, &meter, [&](uint32_t base) { flashes.push_back(base); });
    runEventLoopFor(1100);
    QObject::disconnect(&clock, &TAbFlashTimer::flash, &meter, nullptr);

    // About 256 ms a colour: four or five changes in 1.1 s.
    ASSERT_GE(flashes.size(), 2u);
    EXPECT_LE(flashes.size(), 8u) << "not one flash per 16 ms tick";
    std::set<uint32_t> groups;
    for (uint32_t b : flashes) groups.insert(b >> 4);
    EXPECT_EQ(groups.size(), flashes.size()) << "each wake brings bit 4 of the count to a new phase";

    const uint32_t idle0 = clock.deliveries();
    runEventLoopFor(300);
    EXPECT_EQ(clock.deliveries(), idle0) << "no listener left: the GUI thread sleeps";
}

}  // namespace
