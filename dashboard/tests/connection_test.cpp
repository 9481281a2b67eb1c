// Port scan, choosing, opening and closing, and the connection state machine
// driven by the polling tick, against an in-memory port.
#include <gtest/gtest.h>

#include "dashboard/dashboard_core.h"
#include "dashboard/ecu_lines.h"
#include "fake_serial_port.h"

namespace kvr {
namespace {

using test::FakeSerialPort;

std::vector<std::string> memoSince(DashboardCore& core) {
    std::vector<std::string> m;
    m.swap(core.out.memoLines);
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
    FakeSerialPort port;
    DashboardCore core(port);
    core.PortNumber = 7;
    core.FormCreate();
    const auto memo = memoSince(core);
    ASSERT_EQ(memo.size(), 41u);
    EXPECT_EQ(memo[4], "COM PORT 5 NOT AVAILABLE -103");
    EXPECT_EQ(memo[40], "There are 0 Com ports available");
    EXPECT_TRUE(core.out.ComboBox1Items.empty());
    EXPECT_EQ(core.out.ComboBox1ItemIndex, -1);
    EXPECT_EQ(core.PortNumber, 7) << "an empty list leaves the port number";
    EXPECT_FALSE(core.out.Timer1Enabled);
    EXPECT_FLOAT_EQ(core.display.meter[0], 2.0f);
}

TEST(Scan, ListsOpenablePortsAndSelectsTheLast) {
    FakeSerialPort port;
    port.resetResults = {{1, 1}, {4, 2}, {40, 1}};  // COM2, COM5, and COM41 (never scanned)
    DashboardCore core(port);
    core.FormCreate();
    const auto memo = memoSince(core);
    EXPECT_EQ(memo[1], "COM PORT 2 AVAILABLE 1");
    EXPECT_EQ(memo[4], "COM PORT 5 AVAILABLE 2");
    EXPECT_EQ(memo[40], "There are 2 Com ports available");
    EXPECT_EQ(core.out.ComboBox1Items, (std::vector<std::string>{"COM2", "COM5"}));
    EXPECT_EQ(core.out.ComboBox1ItemIndex, 1);
    EXPECT_EQ(core.PortName, "COM5");
    EXPECT_EQ(core.PortNumber, 4);
    EXPECT_FALSE(port.open[1]);
    EXPECT_FALSE(port.open[4]) << "no port stays open after the scan";
    EXPECT_FALSE(core.PortOpen);
}

TEST(Scan, ChoosingAPortClosesTheOldOneWithoutOpening) {
    FakeSerialPort port;
    port.resetResults = {{2, 1}, {9, 1}};
    DashboardCore core(port);
    core.FormCreate();
    memoSince(core);
    core.ComboBox1Change(0);
    EXPECT_EQ(core.PortNumber, 2);
    EXPECT_EQ(memoSince(core), std::vector<std::string>{"COM3 Selected"});
    EXPECT_FALSE(core.PortOpen);
    core.ComboBox1Change(1);
    EXPECT_EQ(core.PortNumber, 9);
}

class Connected : public ::testing::Test {
protected:
    Connected() : core(port) {
        port.resetResults = {{2, 1}};
        core.FormCreate();
        memoSince(core);
    }
    void open() {
        core.OpenCommportClick();
        ASSERT_TRUE(core.PortOpen);
        port.takeWritten();
        memoSince(core);
    }
    std::string image() { return sealImageText(")" + std::string(2238, '5')); }
    std::string record() { return sealLiveRecord(liveRecordBody(LiveFields{})); }
    FakeSerialPort port;
    DashboardCore core;
};

TEST_F(Connected, OpenSendsCrDCrAndStartsTheTimer) {
    core.OpenCommportClick();
    EXPECT_TRUE(core.PortOpen);
    EXPECT_EQ(port.takeWritten(), "\rD\r");
    EXPECT_TRUE(core.out.Timer1Enabled);
    EXPECT_EQ(core.out.Timer1Interval, 500);
    EXPECT_FALSE(core.out.ComboBox1Enabled);
    EXPECT_FALSE(core.out.Rescancomports1Enabled);
    EXPECT_EQ(memoSince(core), (std::vector<std::string>{"COM3 Selected", "port#=2", "COMPORT 3 OPENED",
                                                         "D REQUEST SENT"}));
    core.Button2Click();
    EXPECT_FALSE(core.PortOpen);
    EXPECT_FALSE(core.out.Timer1Enabled);
    EXPECT_TRUE(core.out.ComboBox1Enabled);
    EXPECT_TRUE(core.out.Rescancomports1Enabled);
    EXPECT_EQ(memoSince(core), std::vector<std::string>{"Closing Comport, com3"});
    EXPECT_FALSE(port.open[2]);
}

TEST_F(Connected, FailedOpenWarnsAndStaysIdle) {
    port.resetResults[2] = -103;
    core.OpenCommportClick();
    EXPECT_FALSE(core.PortOpen);
    EXPECT_FALSE(core.out.Timer1Enabled);
    EXPECT_EQ(port.takeWritten(), "");
    const auto memo = memoSince(core);
    ASSERT_FALSE(memo.empty());
    EXPECT_EQ(memo.back(), "port#=2");
    EXPECT_EQ(core.out.warnings, std::vector<std::string>{"Com3 port in use"});
}

TEST_F(Connected, TicksFetchTheImageThenPoll) {
    open();
    int decodes = 0;
    // Range changes of the chart's channels: the image's decode makes some,
    // and the tick's rescale of channel 3 one more.
    auto ranges = [&] { return core.out.channelRanges.size(); };
    core.onLiveRecord = [&] { ++decodes; };

    core.Timer1Timer();  // FetchState 0: ask again
    EXPECT_EQ(memoSince(core), std::vector<std::string>{"SENDING D"});
    EXPECT_EQ(port.takeWritten(), "D\r");
    EXPECT_EQ(core.FetchState, 1);
    EXPECT_EQ(core.ValuesSource, "ecu");

    port.feed(image() + "\n");
    core.Timer1Timer();
    EXPECT_TRUE(core.ValuesLoaded);
    EXPECT_EQ(core.FetchState, 2);
    EXPECT_EQ(core.out.Timer1Interval, 40);
    auto memo = memoSince(core);
    ASSERT_GE(memo.size(), 4u);
    EXPECT_EQ(memo[memo.size() - 2], "FETCH SERIAL TEXT");
    EXPECT_EQ(memo.back(), "SER BUFFER0");
    EXPECT_EQ(port.takeWritten(), "") << "no poll while the image was still arriving";
    const size_t afterDecode = ranges();
    EXPECT_GT(afterDecode, 0u) << "the decode adjusts the chart";

    core.Timer1Timer();  // rescale once, then poll on an empty queue
    EXPECT_EQ(ranges(), afterDecode + 1);
    EXPECT_EQ(core.out.channelRanges.back().channel, 3);
    EXPECT_EQ(port.takeWritten(), "Q\r");
    port.feed(record() + "\n");
    core.Timer1Timer();
    EXPECT_EQ(port.takeWritten(), "Q\r") << "the acknowledgement of the record";
    EXPECT_EQ(decodes, 1);
    EXPECT_FALSE(core.NewRecord);
    EXPECT_EQ(ranges(), afterDecode + 1) << "once per image";
}

TEST_F(Connected, FetchValuesStopsPollingUntilTheNewImagePasses) {
    open();
    // Counts the tick's rescales: the only requests made without a decode.
    int decodes = 0;
    core.decodeValues = [&] { ++decodes; };
    auto rescales = [&] { return core.out.channelRanges.size(); };
    core.Timer1Timer();
    port.feed(image() + "\n");
    core.Timer1Timer();
    core.Timer1Timer();
    ASSERT_EQ(rescales(), 1u);
    port.takeWritten();

    core.FetchKVRValsClick();
    EXPECT_EQ(port.takeWritten(), "D\r");
    EXPECT_EQ(core.out.Timer1Interval, 600);
    core.Timer1Timer();
    core.Timer1Timer();
    EXPECT_EQ(port.takeWritten(), "") << "no poll and no second request";
    port.feed(image() + "\n");
    core.Timer1Timer();
    core.Timer1Timer();
    EXPECT_EQ(port.takeWritten(), "Q\r");
    EXPECT_EQ(rescales(), 2u);
    EXPECT_EQ(decodes, 2);
}

TEST_F(Connected, PauseAndResumeKeepTheFlags) {
    open();
    core.Timer1Timer();
    port.feed(image() + "\n");
    core.Timer1Timer();
    port.takeWritten();
    port.feed("stale bytes");
    core.StopClick();
    EXPECT_FALSE(core.out.Timer1Enabled);
    EXPECT_EQ(port.takeWritten(), "S\r");
    EXPECT_TRUE(port.input.empty());
    core.Button11Click();
    EXPECT_TRUE(core.out.Timer1Enabled);
    EXPECT_EQ(port.takeWritten(), "Q\r");
    EXPECT_TRUE(core.ValuesLoaded);
    core.Timer1Timer();
    EXPECT_EQ(port.takeWritten(), "Q\r") << "polling goes on, no values request";
}

TEST_F(Connected, ReceiveLampAndGaugeFollowTheQueue) {
    open();
    core.Timer1Timer();
    port.feed(std::string(50, 'x'));
    core.Timer1Timer();
    EXPECT_EQ(core.out.Gauge2, 50);
    EXPECT_TRUE(core.out.AbLED3);
    core.Timer1Timer();  // the framer drained the junk: fewer than 10 at the first look
    EXPECT_FALSE(core.out.AbLED3);
}

}  // namespace
}  // namespace kvr
