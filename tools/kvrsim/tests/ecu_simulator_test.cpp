// The simulator answers like the ECU, and its records decode to what the
// engine model meant; its faults spoil exactly what they say.
#include <gtest/gtest.h>

#include <algorithm>

#include "dashboard/dashboard_core.h"
#include "dashboard/link/ecu_lines.h"
#include "dashboard/link/memory_serial_port.h"
#include "ecu_simulator.h"

namespace kvrsim {
namespace {

std::string image() { return kvr::sealImageText(")" + std::string(2238, '3')); }

std::vector<std::string> lines(const std::string& out) {
    std::vector<std::string> v;
    size_t start = 0;
    for (size_t nl; (nl = out.find('\n', start)) != std::string::npos; start = nl + 1)
        v.push_back(out.substr(start, nl - start));
    return v;
}

EcuSimulator makeSim(Fault fault = Fault::None, int every = 1) {
    SimulatorSettings s;
    s.fault = fault;
    s.faultEvery = every;
    s.setupEvery = 0;
    return EcuSimulator(image(), EngineModel(EngineSettings{}), s);
}

// Runs the simulator's output through the dashboard's framer.
struct Framed {
    kvr::MemorySerialPort port;
    kvr::DashboardCore core{port};
    Framed() {
        port.resetResults[0] = 1;
        port.reset(0, 8192, 8192);
    }
    void feed(const std::string& bytes) {
        port.feed(bytes);
        core.session.readQueue();
    }
};

TEST(Simulator, AnswersCommandsLikeTheEcu) {
    auto sim = makeSim();
    sim.receive("\rD\r", 0.0);
    EXPECT_EQ(sim.takeOutput(), image() + "\n");
    sim.receive("Q", 0.1);
    EXPECT_EQ(sim.takeOutput(), "") << "nothing until the CR";
    sim.receive("\r", 0.1);
    auto out = lines(sim.takeOutput());
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].size(), 66u);
    EXPECT_EQ(out[0][0], '*');
    sim.receive("S\r", 0.2);
    sim.tick(100.0);
    EXPECT_EQ(sim.takeOutput(), "") << "quiet after S";
}

TEST(Simulator, RecordsPassTheFramerAndDescribeARunningEngine) {
    auto sim = makeSim();
    Framed f;
    // The corrected ignition as the IGN meter shows it (-50 .. 10): minus the
    // advance, so a running engine reads well inside the scale.
    int idleLow = 0, idleHigh = -100, loadLow = 0, loadHigh = -100, highest = -100;
    for (double t = 0; t < 40; t += 0.25) {
        sim.receive("Q\r", t);
        f.feed(sim.takeOutput());
        ASSERT_TRUE(f.core.session.lastRecordGood) << "t=" << t << " " << f.core.messages.lines.back();
        f.core.session.lastRecordGood = false;
        const int ignition = kvr::decodeLiveRecord(f.core.session.lastRecordLine, {}).ignition;
        EXPECT_GE(ignition, -40) << "t=" << t;
        EXPECT_LE(ignition, 5) << "t=" << t;
        highest = std::max(highest, ignition);
        if (t < 5) {  // idle
            idleLow = std::min(idleLow, ignition);
            idleHigh = std::max(idleHigh, ignition);
        }
        if (t >= 24 && t < 33) {  // cruise
            loadLow = std::min(loadLow, ignition);
            loadHigh = std::max(loadHigh, ignition);
        }
    }
    EXPECT_GE(idleLow, -13);
    EXPECT_LE(idleHigh, -8);
    EXPECT_GE(loadLow, -35);
    EXPECT_LE(loadHigh, -20);
    EXPECT_GT(highest, 0) << "the lift-off retards past top dead centre";
    EXPECT_FALSE(f.core.session.status.dataError);
}

TEST(Simulator, KnockTakesAdvanceBackOnThePull) {
    const EngineModel engine{EngineSettings{}};
    double withKnock = 0, withoutKnock = 0;
    for (double t = 18; t < 22; t += 0.01) {
        const kvr::LiveFields f = engine.at(t);
        (f.knock > 0 ? withKnock : withoutKnock) = engine.advanceAt(t);
        if (f.knock > 0 && withoutKnock > 0) break;
    }
    ASSERT_GT(withoutKnock, 0);
    EXPECT_LT(withKnock, withoutKnock);
}

TEST(Simulator, SetupLinesComeNowAndThenAndPass) {
    SimulatorSettings s;
    s.setupEvery = 5;
    EcuSimulator sim(image(), EngineModel(EngineSettings{}), s);
    sim.tick(10);
    EXPECT_EQ(sim.takeOutput(), "") << "silent until spoken to";
    sim.receive("Q\r", 10);
    sim.takeOutput();
    sim.tick(16);
    Framed f;
    f.feed(sim.takeOutput());
    EXPECT_TRUE(f.core.session.setupReceived);
}

TEST(Simulator, FaultsSpoilTheChosenRecords) {
    {
        auto sim = makeSim(Fault::BadChecksum, 2);
        Framed f;
        sim.receive("Q\rQ\r", 0);
        f.feed(sim.takeOutput());
        EXPECT_TRUE(f.core.session.status.dataError);
        EXPECT_EQ(f.core.messages.lines.at(0).rfind("checksum error....!$", 0), 0u);
    }
    {
        auto sim = makeSim(Fault::UnreadableChecksum);
        Framed f;
        sim.receive("Q\r", 0);
        f.feed(sim.takeOutput());
        EXPECT_EQ(f.core.messages.lines.at(0), "error in checksum read....$Z?");
    }
    {
        auto sim = makeSim(Fault::Silence, 3);
        sim.receive("Q\rQ\rQ\r", 0);
        EXPECT_EQ(lines(sim.takeOutput()).size(), 2u);
    }
    {
        auto sim = makeSim(Fault::Truncated);
        sim.receive("Q\r", 0);
        auto out = lines(sim.takeOutput());
        ASSERT_EQ(out.size(), 1u);
        EXPECT_LT(out[0].size(), 66u);
    }
    {
        auto sim = makeSim(Fault::Garbage);
        Framed f;
        sim.receive("Q\r", 0);
        const auto out = sim.takeOutput();
        EXPECT_GT(out.size(), 67u);
        f.feed(out);
        EXPECT_FALSE(f.core.session.lastRecordGood) << "a line with bytes before its start is ignored";
    }
    {
        auto sim = makeSim(Fault::HangUp, 2);
        sim.receive("Q\rQ\r", 0);
        EXPECT_TRUE(sim.hungUp());
        EXPECT_EQ(lines(sim.takeOutput()).size(), 1u);
    }
    {
        auto sim = makeSim(Fault::ImageChecksum);
        Framed f;
        sim.receive("D\r", 0);
        f.feed(sim.takeOutput());
        EXPECT_FALSE(f.core.session.valuesLoaded);
        sim.receive("D\r", 1);
        f.feed(sim.takeOutput());
        EXPECT_TRUE(f.core.session.valuesLoaded) << "only the first image is spoilt";
    }
}

TEST(Simulator, ReplaysLoggedRecordsWithFreshChecksums) {
    auto sim = makeSim();
    kvr::LiveFields a, b;
    a.throttle = 11;
    b.throttle = 22;
    sim.replay({kvr::liveRecordBody(a) + "XX", kvr::liveRecordBody(b)});
    Framed f;
    int throttles[3];
    for (int i = 0; i < 3; ++i) {
        sim.receive("Q\r", i);
        f.feed(sim.takeOutput());
        ASSERT_TRUE(f.core.session.lastRecordGood);
        f.core.session.lastRecordGood = false;
        throttles[i] = std::stoi(f.core.session.lastRecordLine.substr(22, 2));
    }
    EXPECT_EQ(throttles[0], 11);
    EXPECT_EQ(throttles[1], 22);
    EXPECT_EQ(throttles[2], 11);
}

TEST(Simulator, NumbersRecordsWhereTheDashboardDoesNotRead) {
    SimulatorSettings s;
    s.setupEvery = 0;
    s.numberRecords = true;
    EcuSimulator sim(image(), EngineModel(EngineSettings{}), s);
    sim.receive("Q\rQ\r", 0);
    const std::string out = sim.takeOutput();
    const auto sent = sim.recordsInOutput();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].number, 1);
    EXPECT_EQ(sent[0].end, 67u);
    EXPECT_EQ(sent[1].end, out.size());
    const auto recs = lines(out);
    EXPECT_EQ(recs[0].substr(60, 4), "0001");
    EXPECT_EQ(recs[1].substr(60, 4), "0002");
    Framed f;
    f.feed(out);
    EXPECT_TRUE(f.core.session.lastRecordGood) << "the number is inside the checksum";
    EXPECT_FALSE(f.core.session.status.dataError);
}

TEST(EngineModel, PeriodMatchesTheSpeedForTheCylinders) {
    EngineModel model(EngineSettings{});
    for (double t : {1.0, 12.0, 20.0, 30.0}) {
        const auto f = model.at(t);
        const double rpm = model.rpmAt(t);
        const double decoded = (120 / 4) * 2000000.0 / f.period;
        EXPECT_NEAR(decoded, rpm, rpm * 0.01) << t;
    }
    EngineSettings stalled;
    stalled.stalled = true;
    EXPECT_EQ(EngineModel(stalled).at(5).running, 0);
}

}  // namespace
}  // namespace kvrsim
