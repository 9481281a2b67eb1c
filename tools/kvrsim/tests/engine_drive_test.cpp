// The engine model's drives: the sweep runs 900 to 6100 RPM and back every
// 8 seconds with every gauge following it, and the default cycle sends the
// records it always has.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "dashboard/display/gauge_readings.h"
#include "dashboard/session/session.h"
#include "dashboard/link/ecu_lines.h"
#include "dashboard/link/memory_serial_port.h"
#include "default_values_image.h"
#include "engine_model.h"

namespace kvrsim {
namespace {

EngineModel sweep() {
    EngineSettings s;
    s.drive = Drive::Sweep;
    return EngineModel(s);
}

TEST(SweepDrive, RunsFrom900To6100AndBackEvery8Seconds) {
    const EngineModel engine = sweep();
    // The turning points of the speed over three periods, found by where it
    // stops rising or falling.
    std::vector<double> peaks, troughs;
    double lowest = 1e9, highest = -1e9;
    const double step = 0.001;
    for (double t = step; t < 24; t += step) {
        const double before = engine.rpmAt(t - step), now = engine.rpmAt(t), after = engine.rpmAt(t + step);
        lowest = std::min(lowest, now);
        highest = std::max(highest, now);
        if (now > before && now >= after) peaks.push_back(t);
        if (now < before && now <= after) troughs.push_back(t);
    }
    EXPECT_NEAR(engine.rpmAt(0), 900, 1) << "it starts at the bottom";
    EXPECT_NEAR(lowest, 900, 1);
    EXPECT_NEAR(highest, 6100, 1);
    ASSERT_EQ(peaks.size(), 3u) << "one run up and one down per period, nothing in between";
    ASSERT_EQ(troughs.size(), 2u);
    for (size_t i = 0; i < peaks.size(); ++i) {
        EXPECT_NEAR(peaks[i], 4 + 8.0 * i, 0.01);
        EXPECT_NEAR(engine.rpmAt(peaks[i]), 6100, 1);
    }
    for (size_t i = 0; i < troughs.size(); ++i) {
        EXPECT_NEAR(troughs[i], 8 + 8.0 * i, 0.01);
        EXPECT_NEAR(engine.rpmAt(troughs[i]), 900, 1);
    }
    for (double t : {0.5, 2.7, 5.1, 7.9}) EXPECT_NEAR(engine.rpmAt(t + 8), engine.rpmAt(t), 1e-6) << t;
}

// The six dial meters as the dashboard shows them, record by record, while
// it polls the sweeping engine at 25 records a second.
std::vector<std::vector<float>> metersOverTheSweep(int seconds) {
    kvr::MemorySerialPort port;
    port.resetResults[0] = 1;
    port.reset(0, 8192, 8192);
    kvr::MessageLog messages;
    kvr::Session session(port, messages);
    session.portOpen = true;
    session.fetchState = 2;
    session.valuesLoaded = true;
    session.valuesInUse = true;
    session.valuesText = defaultValuesImage();  // the cylinder count, for the speed
    kvr::GaugeReadings gauges;
    session.addSink(gauges);
    const EngineModel engine = sweep();
    std::vector<std::vector<float>> meters(6);
    for (int n = 0; n < seconds * 25; ++n) {
        const double t = n * 0.04;
        port.feed(kvr::sealLiveRecord(kvr::liveRecordBody(engine.at(t))) + "\n");
        const uint64_t before = gauges.display.revision;
        session.tick();
        EXPECT_EQ(gauges.display.revision, before + 1) << "t=" << t;
        for (int i = 0; i < 6; ++i) meters[i].push_back(gauges.display.meter[i]);
    }
    return meters;
}

TEST(SweepDrive, EveryMeterFollowsIt) {
    const auto meters = metersOverTheSweep(16);
    auto low = [&](int i) { return *std::min_element(meters[i].begin(), meters[i].end()); };
    auto high = [&](int i) { return *std::max_element(meters[i].begin(), meters[i].end()); };
    const char* names[6] = {"RPM", "MAP", "AFR", "TP", "IGN", "KNOCK"};

    EXPECT_NEAR(low(0), 0.9, 0.01);  // RPM x 1000
    EXPECT_NEAR(high(0), 6.1, 0.01);
    EXPECT_LE(low(1), -15) << "vacuum at the bottom";
    EXPECT_GE(high(1), 7) << "boost at the top";
    EXPECT_GE(low(2), 11.5);  // AFR: lean to rich, on the meter's 7 .. 20
    EXPECT_GE(high(2), 14.5);
    EXPECT_LE(low(2), 12.0);
    EXPECT_LE(high(2), 15.0);
    EXPECT_LE(low(3), 3);  // throttle closed to wide open
    EXPECT_GE(high(3), 62);
    EXPECT_GE(high(4) - low(4), 15) << "the ignition swings";
    EXPECT_GE(low(4), -50);  // and stays on the IGN meter's scale
    EXPECT_LE(high(4), 10);
    EXPECT_EQ(low(5), 0);
    EXPECT_GE(high(5), 4);
    EXPECT_LE(high(5), 15);

    // No needle rests: within any second (25 records) each meter moves.
    for (int i = 0; i < 6; ++i) {
        for (size_t from = 0; from + 25 <= meters[i].size(); ++from) {
            const auto first = meters[i].begin() + static_cast<long>(from);
            const auto [lo, hi] = std::minmax_element(first, first + 25);
            ASSERT_NE(*lo, *hi) << names[i] << " stands still from record " << from;
        }
    }
}

TEST(EngineDrive, IsChosenByItsName) {
    Drive d = Drive::Sweep;
    ASSERT_TRUE(parseDrive("cycle", d));
    EXPECT_EQ(d, Drive::Cycle);
    ASSERT_TRUE(parseDrive("sweep", d));
    EXPECT_EQ(d, Drive::Sweep);
    for (const char* wrong : {"", "Sweep", "sweeps", "swee", "cycle "}) {
        EXPECT_FALSE(parseDrive(wrong, d)) << wrong;
        EXPECT_EQ(d, Drive::Sweep) << "a refused name leaves the drive alone";
    }
    EXPECT_EQ(EngineSettings{}.drive, Drive::Cycle) << "the cycle is the default";
}

// Records of the default drive as the simulator sent them before the sweep
// came: tests, benchmarks and example files rely on them staying the same.
TEST(EngineDrive, TheCycleSendsTheRecordsItAlwaysHas) {
    const EngineModel engine{EngineSettings{}};
    const std::pair<double, const char*> known[] = {
        {3.0, "*-17.0   10 68   2 50  213.814.5 91F 72F  076D0600E0B0  0000    "},
        {12.5, "*  2.0   43 88  29 50 4113.814.0 94F 88F  1EC8060035B2  0000    "},
        {20.25, "*  8.1   68 74  63 50 6313.411.8 96F 97F  2B5C0700224C  0100    "},
        {28.0, "* -8.6   28 86  11 50 1913.414.2 99F 79F  11EB0600514E  0000    "},
        {34.5, "*-17.0   28 54   5 50  213.814.8101F 72F  076D8600518D  0000    "},
        {320.0, "*-17.0   10 68   2 50  213.914.6190F 72F  076D0A00E516  0000    "},
    };
    for (const auto& [t, record] : known) EXPECT_EQ(kvr::liveRecordBody(engine.at(t)), record) << "t=" << t;
}

}  // namespace
}  // namespace kvrsim
