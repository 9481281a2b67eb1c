// What a pseudo-terminal cannot show, against a fake OS layer: the modem
// lines at open, refused settings, failing closes, the probe's give-up, the
// data mask, and a write left running.
#include <gtest/gtest.h>

#include "fake_os.h"
#include "port_table.h"
#include "tolk.h"

namespace {

using tolk::gLib;
using tolk::kLineDtr;
using tolk::kLineRts;

constexpr int kPort = 11;

class Fake : public ::testing::Test {
protected:
    void TearDown() override {
        SioDone(kPort);
        SioReset(-1, 0, 0);
        gLib.openDataBits = 8;
        gLib.ignoreQueueRefusal = true;
        gLib.resetDeviceAtOpen = false;
        gLib.synchronous = false;
        gLib.anySynchronousOpen = false;
        tolk::gPorts[kPort].writeNoWait = 0;
    }
    FakeOs fake;
    FakeDevice& dev = fake.device();

    bool lineLastSetTo(int line, bool on) {
        for (auto it = dev.modemCalls.rbegin(); it != dev.modemCalls.rend(); ++it)
            if (it->first == line) return it->second == on;
        return false;
    }
};

TEST_F(Fake, ModemLinesFollowTheOpenDefaults) {
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    EXPECT_TRUE(lineLastSetTo(kLineDtr, false));
    EXPECT_TRUE(lineLastSetTo(kLineRts, false));
    EXPECT_EQ(dev.modemBits & (kLineDtr | kLineRts), 0);
    ASSERT_EQ(SioDone(kPort), 1);

    EXPECT_EQ(SioReset(-1, 1, 0), 0);
    dev.modemCalls.clear();
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    EXPECT_TRUE(lineLastSetTo(kLineDtr, true));
    EXPECT_TRUE(lineLastSetTo(kLineRts, false));
    ASSERT_EQ(SioDone(kPort), 1);

    EXPECT_EQ(SioReset(-1, 2, 3), 0);  // bit 0 of 2 is 0: DTR off; RTS on
    dev.modemCalls.clear();
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    EXPECT_TRUE(lineLastSetTo(kLineDtr, false));
    EXPECT_TRUE(lineLastSetTo(kLineRts, true));
}

TEST_F(Fake, DeviceWithoutModemLinesStillOpens) {
    dev.modemErrno = ENOTTY;
    EXPECT_EQ(SioReset(kPort, 8192, 8192), 1);
}

TEST_F(Fake, XonXoffLimitsFromTheReceiveQueueSize) {
    const std::pair<int, int> cases[] = {{8192, 128}, {400, 100}, {512, 128}, {513, 128}, {0, 0}};
    for (auto [size, limit] : cases) {
        SCOPED_TRACE(size);
        ASSERT_EQ(SioReset(kPort, size, 8192), 1);
        EXPECT_EQ(tolk::gLineSettings[kPort].XonLim, limit);
        EXPECT_EQ(tolk::gLineSettings[kPort].XoffLim, limit);
        EXPECT_EQ(tolk::gLineSettings[kPort].XonChar, 0x11);
        EXPECT_EQ(tolk::gLineSettings[kPort].XoffChar, 0x13);
        ASSERT_EQ(SioDone(kPort), 1);
    }
}

TEST_F(Fake, FailedOpenStoresTheOsError) {
    dev.openErrno = ENOENT;
    EXPECT_EQ(SioReset(kPort, 8192, 8192), SIO_E_OS_ERROR);
    EXPECT_EQ(gLib.lastOsError, ENOENT);
    EXPECT_EQ(SioRxQue(kPort), SIO_E_NOT_OPEN);
}

TEST_F(Fake, SettingsFailuresLeaveThePortRecordedOpen) {
    for (int* knob : {&dev.getAttrErrno, &dev.setAttrErrno}) {
        *knob = EIO;
        EXPECT_EQ(SioReset(kPort, 8192, 8192), SIO_E_OS_ERROR);
        EXPECT_EQ(gLib.lastOsError, EIO);
        EXPECT_GE(SioRxQue(kPort), 0) << "recorded open, so SioDone can release it";
        EXPECT_EQ(SioDone(kPort), 1);
        *knob = 0;
    }
}

TEST_F(Fake, WakeChannelFailureIsAnIoError) {
    dev.wakeFails = true;
    EXPECT_EQ(SioReset(kPort, 8192, 8192), SIO_E_IO);
    EXPECT_EQ(SioDone(kPort), 1);
}

TEST_F(Fake, QueueSizeRefusalOnlyCountsWithTheSwitchOff) {
    EXPECT_EQ(SioReset(kPort, -1, 8192), 1);
    ASSERT_EQ(SioDone(kPort), 1);
    gLib.ignoreQueueRefusal = false;
    EXPECT_EQ(SioReset(kPort, -1, 8192), SIO_E_BUFFERS);
    EXPECT_EQ(SioDone(kPort), 1);
    EXPECT_EQ(SioReset(kPort, 8192, 8192), 1);
}

TEST_F(Fake, ResetDeviceAtOpenFlushes) {
    gLib.resetDeviceAtOpen = true;
    dev.input = {1, 2, 3};
    EXPECT_EQ(SioReset(kPort, 8192, 8192), 1);
    EXPECT_GE(dev.flushes, 1);
}

TEST_F(Fake, FailedCloseIsCountedAndThePortStillCloses) {
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    const int before = gLib.failedCloses;
    dev.closeErrno = EIO;
    EXPECT_EQ(SioDone(kPort), 0);
    EXPECT_EQ(gLib.failedCloses, before + 1);
    EXPECT_EQ(SioDone(kPort), SIO_E_NOT_OPEN);
}

TEST_F(Fake, ProbeGivesUpAfterTwentyUnusableAnswers) {
    dev.readErrno = EIO;
    const uint32_t start = dev.tick;
    EXPECT_EQ(SioReset(kPort, 8192, 8192), SIO_E_IO);
    EXPECT_GE(dev.tick - start, 20u * 50u) << "it slept between tries";
    EXPECT_EQ(SioDone(kPort), 1);
}

TEST_F(Fake, BytesAreMaskedToTheDataBits) {
    gLib.openDataBits = 7;
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    dev.input = {0xC1, 0xFF};
    EXPECT_EQ(SioGetc(kPort), 0x41);
    unsigned char b = 0;
    EXPECT_EQ(SioGets(kPort, &b, 1), 1);
    EXPECT_EQ(b, 0x7F);
    ASSERT_EQ(SioDone(kPort), 1);

    gLib.openDataBits = 5;
    dev.input = {0xFF};
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 2);
    EXPECT_EQ(SioGetc(kPort), 0x1F) << "the probe's kept byte is masked too";
}

TEST_F(Fake, BaudRefusalIsReportedWithoutTouchingTheLastError) {
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    gLib.lastOsError = 1234;
    dev.setAttrErrno = EINVAL;
    EXPECT_EQ(SioBaud(kPort, 8), 0);
    EXPECT_EQ(gLib.lastOsError, 1234);
    EXPECT_EQ(tolk::gLineSettings[kPort].BaudRate, 57600u);
    dev.setAttrErrno = 0;
    EXPECT_EQ(SioBaud(kPort, 10), 1);
    EXPECT_EQ(dev.lastRate, 10u);
}

TEST_F(Fake, SynchronousOpenSkipsTheProbe) {
    tolk::initialiseLibrary();  // it would replace a mode chosen before it
    gLib.synchronous = true;
    dev.input = {'x'};
    EXPECT_EQ(SioReset(kPort, 8192, 8192), 0);
    EXPECT_EQ(tolk::gPorts[kPort].readWaitMs, 50u);
    EXPECT_EQ(SioGetc(kPort), 'x');
    EXPECT_EQ(SioGetc(kPort), SIO_E_NO_DATA);
}

TEST_F(Fake, WriteLeftRunningBlocksTheNextWrite) {
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    tolk::gPorts[kPort].writeNoWait = 1;
    dev.writeCapacity = 10;
    std::vector<unsigned char> data(100, 'w');
    EXPECT_EQ(SioPuts(kPort, data.data(), 100), 1);
    EXPECT_EQ(SioTxQue(kPort), 90) << "the unsent rest is counted";
    EXPECT_EQ(SioPutc(kPort, 'x'), SIO_E_NO_DATA);
    EXPECT_EQ(SioPuts(kPort, "x", 1), SIO_E_NO_DATA);
    EXPECT_EQ(dev.written.size(), 10u) << "nothing of the refused writes went out";

    dev.writeCapacity = SIZE_MAX;  // the line drains
    tolk::gPorts[kPort].writeNoWait = 0;
    EXPECT_EQ(SioPutc(kPort, 'x'), 1);
    EXPECT_EQ(dev.written.size(), 101u);
    EXPECT_EQ(dev.written.back(), 'x');
    EXPECT_EQ(SioTxQue(kPort), 0);
}

TEST_F(Fake, WaitedWriteReturnsTheFullCount) {
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    dev.writeCapacity = 3;  // takes 3 now; waitFor reports room again only later
    std::vector<unsigned char> data(8, 'w');
    // The fake never makes room, so give the write a time limit to end it.
    tolk::gPorts[kPort].deviceTimeouts.writeTotalConstant = 100;
    EXPECT_EQ(SioPuts(kPort, data.data(), 8), 3) << "a write that times out reports what went out";
}

}  // namespace
