// Link health against an in-memory port and a hand-moved clock: when data
// counts as fresh, what pausing, a silent ECU and a vanished device do, and
// reopening the device once it is back.
#include <gtest/gtest.h>

#include <regex>

#include "dashboard/dashboard_core.h"
#include "dashboard/link/ecu_lines.h"
#include "dashboard/link/memory_serial_port.h"
#include "tolk.h"

namespace kvr {
namespace {

// A port whose device can vanish: the queue count fails as tolk's does, and
// opening fails until the device is back.
class VanishingPort : public MemorySerialPort {
public:
    bool gone = false;
    int resets = 0;
    int rxQue(int port) override { return gone ? SIO_E_IO : MemorySerialPort::rxQue(port); }
    int reset(int port, int rx, int tx) override {
        ++resets;
        return gone ? SIO_E_OS_ERROR : MemorySerialPort::reset(port, rx, tx);
    }
};

class LinkWatch : public ::testing::Test {
protected:
    LinkWatch() : core(port) {
        core.session.monotonicMs = [this] { return now; };
        port.resetResults = {{0, 1}};
        core.start();
        core.session.openChosenPort();
        // As if the image had come: polling proper.
        core.session.valuesLoaded = true;
        core.session.fetchState = 2;
        core.chartLog.rules.loggingSwitch = 1;  // "Go"
        core.messages.lines.clear();
        port.takeWritten();
    }
    void receiveRecord() {
        port.feed(sealLiveRecord(liveRecordBody(LiveFields{})) + "\n");
        core.session.tick();
    }
    std::vector<std::string> memo() {
        std::vector<std::string> m;
        m.swap(core.messages.lines);
        return m;
    }

    int64_t now = 500000;
    VanishingPort port;
    DashboardCore core;
};

TEST_F(LinkWatch, DataIsFreshForOneSecondOrTwoDataIntervals) {
    EXPECT_EQ(core.session.linkState(), LinkState::Waiting);
    EXPECT_FALSE(core.chartLog.recording());
    receiveRecord();
    ASSERT_EQ(core.session.linkState(), LinkState::Live);
    EXPECT_TRUE(core.chartLog.rules.on);
    EXPECT_TRUE(core.chartLog.recording());

    now += 1000;
    EXPECT_EQ(core.session.linkState(), LinkState::Live);
    now += 1;
    EXPECT_EQ(core.session.linkState(), LinkState::Silent);
    core.session.checkLink();  // as the window's link watch does when the data goes stale
    EXPECT_TRUE(core.chartLog.rules.on) << "the logging rules still say record";
    EXPECT_FALSE(core.chartLog.recording()) << "but nothing is recorded from stale data";
    EXPECT_NE(core.session.linkStatusText().find("no live record for 1.0 s"), std::string::npos) << core.session.linkStatusText();

    // A slow data interval stretches the limit to two intervals.
    core.session.setDataInterval("900");
    receiveRecord();
    now += 1800;
    EXPECT_EQ(core.session.linkState(), LinkState::Live);
    now += 1;
    EXPECT_EQ(core.session.linkState(), LinkState::Silent);
    EXPECT_EQ(core.session.staleAtMs(), now - 1);
}

TEST_F(LinkWatch, PauseStopsRecordingAtOnceAndResumeWaitsForFreshData) {
    receiveRecord();
    core.session.pause();
    EXPECT_EQ(core.session.linkState(), LinkState::Paused);
    EXPECT_FALSE(core.chartLog.recording());
    EXPECT_STREQ(staleMark(core.session.linkState()), "PAUSED");
    core.session.resume();
    EXPECT_EQ(core.session.linkState(), LinkState::Waiting) << "the record from before the pause is not fresh";
    receiveRecord();
    EXPECT_EQ(core.session.linkState(), LinkState::Live);
    EXPECT_STREQ(staleMark(core.session.linkState()), "");
}

TEST_F(LinkWatch, AVanishedDeviceIsReopenedEverySecondAndPollingGoesOn) {
    receiveRecord();
    port.takeWritten();
    memo();
    port.gone = true;
    const int resetsBefore = port.resets;
    core.session.tick();
    core.session.tick();
    auto lines = memo();
    ASSERT_EQ(lines.size(), 1u) << "one line when the link is lost";
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\d\d:\d\d:\d\d COM1 link lost: .*)"))) << lines[0];
    EXPECT_EQ(core.session.linkState(), LinkState::DeviceGone);
    EXPECT_TRUE(core.session.status.dataError);
    EXPECT_TRUE(core.session.status.tickRunning) << "the tick goes on, to reopen";
    EXPECT_EQ(port.resets, resetsBefore) << "no reopening before a second has passed";

    now += 1000;
    core.session.tick();
    EXPECT_EQ(port.resets, resetsBefore + 1);
    now += 500;
    core.session.tick();
    EXPECT_EQ(port.resets, resetsBefore + 1) << "once a second, not on every tick";

    port.gone = false;
    now += 500;
    core.session.tick();
    lines = memo();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\d\d:\d\d:\d\d COM1 link back after 2\.0 s: polling again)")))
        << lines[0];
    EXPECT_NE(port.takeWritten().find("Q\r"), std::string::npos) << "polling resumes by itself";
    EXPECT_EQ(core.session.linkState(), LinkState::Waiting);
    receiveRecord();
    EXPECT_EQ(core.session.linkState(), LinkState::Live);
    EXPECT_TRUE(core.chartLog.recording());
}

TEST_F(LinkWatch, AReopenedDeviceIsAskedForTheImageWhenNoneWasFetched) {
    core.session.valuesLoaded = false;
    port.gone = true;
    core.session.tick();
    port.gone = false;
    now += 1000;
    core.session.tick();
    core.session.tick();
    EXPECT_NE(port.takeWritten().find("D\r"), std::string::npos);
    const auto lines = memo();
    bool told = false;
    for (const auto& l : lines) told |= l.find("link back after 1.0 s: asking for the values image") != std::string::npos;
    EXPECT_TRUE(told);
}

TEST_F(LinkWatch, CloseComPortStopsTheReopening) {
    port.gone = true;
    core.session.tick();
    core.session.closePort();
    EXPECT_EQ(core.session.linkState(), LinkState::Closed);
    const int resets = port.resets;
    now += 5000;
    core.session.tick();
    EXPECT_EQ(port.resets, resets);
    EXPECT_FALSE(core.session.reconnecting());
}

}  // namespace
}  // namespace kvr
