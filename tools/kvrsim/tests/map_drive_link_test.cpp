// The map drive over the simulator's link: polled in real time it sends
// what driveRecords generates without a wire, its records pass the
// dashboard's framer, and with a narrow-band sensor the mixture goes out in
// volts.
#include <gtest/gtest.h>

#include "dashboard/dashboard_core.h"
#include "dashboard/link/memory_serial_port.h"
#include "drive_samples.h"
#include "ecu_simulator.h"

namespace kvrsim {
namespace {

SimulatorSettings quietSettings(unsigned seed) {
    SimulatorSettings s;
    s.setupEvery = 0;
    s.seed = seed;
    return s;
}

TEST(MapDriveLink, PolledItSendsWhatDriveRecordsGenerates) {
    const EngineModel engine = mapDriveEngine(9, "wild");
    const double rate = 25;
    const auto expected = driveRecords(engine, 9, 60, rate);
    EcuSimulator sim(defaultValuesImage(), engine, quietSettings(9));
    kvr::MemorySerialPort port;
    port.resetResults[0] = 1;
    port.reset(0, 8192, 8192);
    kvr::DashboardCore core(port);
    for (size_t n = 0; n < expected.size(); ++n) {
        sim.receive("Q\r", n / rate);
        const std::string out = sim.takeOutput();
        ASSERT_EQ(out, expected[n] + "\n") << "record " << n;
        port.feed(out);
        core.session.readQueue();
        ASSERT_TRUE(core.session.lastRecordGood) << "record " << n;
        core.session.lastRecordGood = false;
    }
    EXPECT_FALSE(core.session.status.dataError);
}

TEST(MapDriveLink, ANarrowBandSensorSendsVoltsRichWhenColdAndLeanOnAFuelCut) {
    EngineSettings settings;
    settings.drive = Drive::Map;
    settings.seed = 2;
    settings.o2Volts = true;
    const EngineModel engine(settings);
    LiveRecordSource source(engine, 2);
    int rich = 0, lean = 0, records = 0;
    for (double t = 0; t < 300; t += 0.05) {
        const kvr::LiveFields f = source.at(t);
        ASSERT_EQ(f.afr.size(), 4u) << f.afr;
        ASSERT_EQ(f.afr.back(), 'V') << t;
        const double volts = std::stod(f.afr);
        ++records;
        if (t < 20) {
            EXPECT_GE(volts, 0.8) << "cold idle is rich at " << t;
        }
        // Half a second into a fuel cut the sensor has long seen it.
        if (f.pulseCount == 0 && engine.at(t - 0.5).pulseCount == 0) {
            ++lean;
            EXPECT_LE(volts, 0.1) << "no fuel reads lean at " << t;
        }
        rich += volts > 0.45;
    }
    EXPECT_GT(lean, 20);
    EXPECT_GT(rich, 0);
    EXPECT_LT(rich, records);
}

}  // namespace
}  // namespace kvrsim
