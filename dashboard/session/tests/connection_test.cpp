// Port scan, choosing, opening and closing, and the connection state machine
// driven by the polling tick, against an in-memory port.
#include <gtest/gtest.h>

#include "dashboard/dashboard_core.h"
#include "dashboard/link/ecu_lines.h"
#include "dashboard/link/memory_serial_port.h"

namespace kvr {
namespace {



std::vector<std::string> memoSince(DashboardCore& core) {
    std::vector<std::string> m;
    m.swap(core.messages.lines);
    return m;
}

TEST(PortNames, ExactComparisonWithCom1ToCom40) {
    EXPECT_EQ(portNumberFromName("COM1"), 0);
    EXPECT_EQ(portNumberFromName("COM3"), 2);
    EXPECT_EQ(portNumberFromName("COM10"), 9);
    EXPECT_EQ(portNumberFromName("COM40"), 39);
    EXPECT_EQ(portNumberFromName("COM41"), -1);
    EXPECT_EQ(portNumberFromName("COM0"), -1);
    EXPECT_EQ(portNumberFromName("com3"), -1);
    EXPECT_EQ(portNumberFromName("COM03"), -1);
    EXPECT_EQ(portNumberFromName(""), -1);
}

TEST(Scan, NoPortsListsFortyFailuresAndSelectsNothing) {
    MemorySerialPort port;
    DashboardCore core(port);
    core.session.portNumber = 7;
    core.start();
    const auto memo = memoSince(core);
    ASSERT_EQ(memo.size(), 41u);
    EXPECT_EQ(memo[4], "COM PORT 5 NOT AVAILABLE -103");
    EXPECT_EQ(memo[40], "There are 0 Com ports available");
    EXPECT_TRUE(core.session.status.ports.empty());
    EXPECT_EQ(core.session.status.portIndex, -1);
    EXPECT_EQ(core.session.portNumber, 7) << "an empty list leaves the port number";
    EXPECT_FALSE(core.session.status.tickRunning);
    EXPECT_FLOAT_EQ(core.gauges.display.meter[0], 2.0f);
}

TEST(Scan, ListsOpenablePortsAndSelectsTheLast) {
    MemorySerialPort port;
    port.resetResults = {{1, 1}, {4, 2}, {40, 1}};  // COM2, COM5, and COM41 (never scanned)
    DashboardCore core(port);
    core.start();
    const auto memo = memoSince(core);
    EXPECT_EQ(memo[1], "COM PORT 2 AVAILABLE 1");
    EXPECT_EQ(memo[4], "COM PORT 5 AVAILABLE 2");
    EXPECT_EQ(memo[40], "There are 2 Com ports available");
    EXPECT_EQ(core.session.status.ports, (std::vector<std::string>{"COM2", "COM5"}));
    EXPECT_EQ(core.session.status.portIndex, 1);
    EXPECT_EQ(core.session.portName, "COM5");
    EXPECT_EQ(core.session.portNumber, 4);
    EXPECT_FALSE(port.open[1]);
    EXPECT_FALSE(port.open[4]) << "no port stays open after the scan";
    EXPECT_FALSE(core.session.portOpen);
}

TEST(Scan, ChoosingAPortClosesTheOldOneWithoutOpening) {
    MemorySerialPort port;
    port.resetResults = {{2, 1}, {9, 1}};
    DashboardCore core(port);
    core.start();
    memoSince(core);
    core.session.choosePort(0);
    EXPECT_EQ(core.session.portNumber, 2);
    EXPECT_EQ(memoSince(core), std::vector<std::string>{"COM3 Selected"});
    EXPECT_FALSE(core.session.portOpen);
    core.session.choosePort(1);
    EXPECT_EQ(core.session.portNumber, 9);
}

class Connected : public ::testing::Test {
protected:
    Connected() : core(port) {
        port.resetResults = {{2, 1}};
        core.start();
        memoSince(core);
    }
    void open() {
        core.session.openChosenPort();
        ASSERT_TRUE(core.session.portOpen);
        port.takeWritten();
        memoSince(core);
    }
    std::string image() { return sealImageText(")" + std::string(2238, '5')); }
    std::string record() { return sealLiveRecord(liveRecordBody(LiveFields{})); }
    MemorySerialPort port;
    DashboardCore core;
};

TEST_F(Connected, OpenSendsCrDCrAndStartsTheTimer) {
    core.session.openChosenPort();
    EXPECT_TRUE(core.session.portOpen);
    EXPECT_EQ(port.takeWritten(), "\rD\r");
    EXPECT_TRUE(core.session.status.tickRunning);
    EXPECT_EQ(core.session.status.tickIntervalMs, 500);
    EXPECT_FALSE(core.session.status.portChoiceEnabled);
    EXPECT_FALSE(core.session.status.rescanEnabled);
    EXPECT_EQ(memoSince(core), (std::vector<std::string>{"COM3 Selected", "port#=2", "COMPORT 3 OPENED",
                                                         "D REQUEST SENT"}));
    core.session.closePort();
    EXPECT_FALSE(core.session.portOpen);
    EXPECT_FALSE(core.session.status.tickRunning);
    EXPECT_TRUE(core.session.status.portChoiceEnabled);
    EXPECT_TRUE(core.session.status.rescanEnabled);
    EXPECT_EQ(memoSince(core), std::vector<std::string>{"Closing Comport, com3"});
    EXPECT_FALSE(port.open[2]);
}

TEST_F(Connected, FailedOpenWarnsAndStaysIdle) {
    port.resetResults[2] = -103;
    core.session.openChosenPort();
    EXPECT_FALSE(core.session.portOpen);
    EXPECT_FALSE(core.session.status.tickRunning);
    EXPECT_EQ(port.takeWritten(), "");
    const auto memo = memoSince(core);
    ASSERT_FALSE(memo.empty());
    EXPECT_EQ(memo.back(), "port#=2");
    EXPECT_EQ(core.messages.warnings, std::vector<std::string>{"Com3 port in use"});
}

TEST_F(Connected, TicksFetchTheImageThenPoll) {
    open();
    int decodes = 0;
    // Range changes of the chart's channels: the image's decode makes some,
    // and the tick's rescale of channel 3 one more.
    auto ranges = [&] { return core.chartLog.rangeRequests.size(); };
    struct Counter : RecordSink {
        int& n;
        explicit Counter(int& count) : n(count) {}
        void onRecord(const LiveRecord&) override { ++n; }
    } counter(decodes);
    core.session.addSink(counter);

    core.session.tick();  // FetchState 0: ask again
    EXPECT_EQ(memoSince(core), std::vector<std::string>{"SENDING D"});
    EXPECT_EQ(port.takeWritten(), "D\r");
    EXPECT_EQ(core.session.fetchState, 1);
    EXPECT_EQ(core.session.valuesSource, "ecu");

    port.feed(image() + "\n");
    core.session.tick();
    EXPECT_TRUE(core.session.valuesLoaded);
    EXPECT_EQ(core.session.fetchState, 2);
    EXPECT_EQ(core.session.status.tickIntervalMs, 40);
    auto memo = memoSince(core);
    ASSERT_GE(memo.size(), 4u);
    EXPECT_EQ(memo[memo.size() - 2], "FETCH SERIAL TEXT");
    EXPECT_EQ(memo.back(), "SER BUFFER0");
    EXPECT_EQ(port.takeWritten(), "") << "no poll while the image was still arriving";
    const size_t afterDecode = ranges();
    EXPECT_GT(afterDecode, 0u) << "the decode adjusts the chart";

    core.session.tick();  // rescale once, then poll on an empty queue
    EXPECT_EQ(ranges(), afterDecode + 1);
    EXPECT_EQ(core.chartLog.rangeRequests.back().channel, 3);
    EXPECT_EQ(port.takeWritten(), "Q\r");
    port.feed(record() + "\n");
    core.session.tick();
    EXPECT_EQ(port.takeWritten(), "Q\r") << "the acknowledgement of the record";
    EXPECT_EQ(decodes, 1);
    core.session.tick();
    EXPECT_EQ(decodes, 1) << "a record is decoded once";
    EXPECT_EQ(ranges(), afterDecode + 1) << "once per image";
}

TEST_F(Connected, FetchValuesStopsPollingUntilTheNewImagePasses) {
    open();
    // Counts the tick's rescales: the only requests made without a decode.
    int decodes = 0;
    core.decodeValues = [&] { ++decodes; };
    auto rescales = [&] { return core.chartLog.rangeRequests.size(); };
    core.session.tick();
    port.feed(image() + "\n");
    core.session.tick();
    core.session.tick();
    ASSERT_EQ(rescales(), 1u);
    port.takeWritten();

    core.session.fetchValues();
    EXPECT_EQ(port.takeWritten(), "D\r");
    EXPECT_EQ(core.session.status.tickIntervalMs, 600);
    core.session.tick();
    core.session.tick();
    EXPECT_EQ(port.takeWritten(), "") << "no poll and no second request";
    port.feed(image() + "\n");
    core.session.tick();
    core.session.tick();
    EXPECT_EQ(port.takeWritten(), "Q\r");
    EXPECT_EQ(rescales(), 2u);
    EXPECT_EQ(decodes, 2);
}

TEST_F(Connected, PauseAndResumeKeepTheFlags) {
    open();
    core.session.tick();
    port.feed(image() + "\n");
    core.session.tick();
    port.takeWritten();
    port.feed("stale bytes");
    core.session.pause();
    EXPECT_FALSE(core.session.status.tickRunning);
    EXPECT_EQ(port.takeWritten(), "S\r");
    EXPECT_TRUE(port.input.empty());
    core.session.resume();
    EXPECT_TRUE(core.session.status.tickRunning);
    EXPECT_EQ(port.takeWritten(), "Q\r");
    EXPECT_TRUE(core.session.valuesLoaded);
    core.session.tick();
    EXPECT_EQ(port.takeWritten(), "") << "the resume's poll is awaited: no second poll, no values request";
    port.feed(record() + "\n");
    core.session.tick();
    EXPECT_EQ(port.takeWritten(), "Q\r") << "polling goes on";
}

TEST_F(Connected, ReceiveLampAndGaugeFollowTheQueue) {
    open();
    core.session.tick();
    port.feed(std::string(50, 'x'));
    core.session.tick();
    EXPECT_EQ(core.session.status.queueFill, 50);
    EXPECT_TRUE(core.session.status.receiving);
    core.session.tick();  // the framer drained the junk: fewer than 10 at the first look
    EXPECT_FALSE(core.session.status.receiving);
}

}  // namespace
}  // namespace kvr
