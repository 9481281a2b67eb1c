// Modem lines, break, line errors and modem events against the fake OS
// layer: what a pseudo-terminal does not have.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_os.h"
#include "port_table.h"
#include "tolk.h"

namespace {

using tolk::kLineCts;
using tolk::kLineDcd;
using tolk::kLineDsr;
using tolk::kLineDtr;
using tolk::kLineRi;
using tolk::kLineRts;

constexpr int kPort = 12;

class Lines : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SioReset(kPort, 8192, 8192), 1); }
    void TearDown() override {
        SioDone(kPort);
        tolk::gPorts[kPort].lineFlags = 0;
        tolk::gLib.messageBoxes = true;
        SioSetMessageHandler(nullptr, nullptr);
    }
    FakeOs fake;
    FakeDevice& dev = fake.device();
};

TEST_F(Lines, DtrAndRtsAreDrivenAndRemembered) {
    EXPECT_EQ(SioDTR(kPort, 'R'), 0);
    EXPECT_EQ(SioDTR(kPort, 'S'), 1);
    EXPECT_NE(dev.modemBits & kLineDtr, 0);
    EXPECT_EQ(SioDTR(kPort, 'R'), 1);
    EXPECT_EQ(SioRTS(kPort, 'S'), 1);
    EXPECT_EQ(SioRTS(kPort, 'R'), 2);
    EXPECT_EQ(SioRTS(kPort, 'C'), 1);
    EXPECT_EQ(dev.modemBits & kLineRts, 0);
    EXPECT_EQ(SioRTS(kPort, 'R'), 0);
    EXPECT_EQ(SioDTR(kPort, 'X'), SIO_E_BAD_ARG);
    EXPECT_EQ(SioDTR(kPort, 's'), SIO_E_BAD_ARG);
    EXPECT_EQ(SioDTR(kPort, 'R'), 1) << "a bad letter changes nothing";

    // Across close and open the request stays, while the line itself starts
    // as the open defaults say (off).
    ASSERT_EQ(SioDone(kPort), 1);
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    EXPECT_EQ(SioDTR(kPort, 'R'), 1);
    EXPECT_EQ(dev.modemBits & kLineDtr, 0);
}

TEST_F(Lines, RefusedLineChangeStillRecordsTheRequest) {
    dev.modemErrno = ENOTTY;
    EXPECT_EQ(SioDTR(kPort, 'S'), 0);
    EXPECT_EQ(SioDTR(kPort, 'R'), 1);
    EXPECT_EQ(SioRTS(kPort, 'S'), 0);
    EXPECT_EQ(SioRTS(kPort, 'R'), 2);
    EXPECT_EQ(SioCTS(kPort), 0) << "unreadable lines count as off";
}

TEST_F(Lines, SettingsChangesRaiseRequestedLinesAgain) {
    ASSERT_EQ(SioDTR(kPort, 'S'), 1);
    EXPECT_EQ(SioParms(kPort, 0, 0, 7), 0);
    EXPECT_NE(dev.modemBits & kLineDtr, 0);
    EXPECT_EQ(dev.modemBits & kLineRts, 0);
    EXPECT_EQ(SioFlow(kPort, 'S'), 1);
    EXPECT_NE(dev.modemBits & kLineDtr, 0);
    ASSERT_EQ(SioRTS(kPort, 'S'), 1);
    EXPECT_EQ(SioFlow(kPort, 'N'), 1);
    EXPECT_NE(dev.modemBits & kLineRts, 0);
    ASSERT_EQ(SioDTR(kPort, 'C'), 1);
    EXPECT_EQ(SioParms(kPort, 0, 0, 8), 0);
    EXPECT_EQ(dev.modemBits & kLineDtr, 0);

    // Refused settings: not reported, and the format is kept all the same.
    dev.setAttrErrno = EINVAL;
    EXPECT_EQ(SioParms(kPort, 3, 2, 7), 0);
    EXPECT_EQ(tolk::gLineSettings[kPort].Parity, 3);
    EXPECT_EQ(tolk::gPorts[kPort].dataMask, 0x7F);
    EXPECT_EQ(SioFlow(kPort, 'H'), 1);
}

TEST_F(Lines, TermiosForEveryFormat) {
    ASSERT_EQ(SioParms(kPort, 3, 0, 7), 0);  // mark
    EXPECT_EQ(dev.lastAttr.c_cflag & (PARENB | PARODD | CMSPAR | CSIZE),
              static_cast<tcflag_t>(PARENB | PARODD | CMSPAR | CS7));
    ASSERT_EQ(SioParms(kPort, 4, 1, 5), 0);  // space, 1.5 stop bits
    EXPECT_EQ(dev.lastAttr.c_cflag & (PARENB | PARODD | CMSPAR | CSIZE | CSTOPB),
              static_cast<tcflag_t>(PARENB | CMSPAR | CS5 | CSTOPB));
    ASSERT_EQ(SioParms(kPort, 1, 2, 6), 0);  // odd, two stop bits
    EXPECT_EQ(dev.lastAttr.c_cflag & (PARENB | PARODD | CMSPAR | CSIZE | CSTOPB),
              static_cast<tcflag_t>(PARENB | PARODD | CS6 | CSTOPB));
    ASSERT_EQ(SioParms(kPort, 2, 0, 8), 0);  // even
    EXPECT_EQ(dev.lastAttr.c_cflag & (PARENB | PARODD | CMSPAR | CSIZE | CSTOPB),
              static_cast<tcflag_t>(PARENB | CS8));
}

TEST_F(Lines, ModemStatusBits) {
    dev.modemBits = kLineCts | kLineDsr | kLineRi | kLineDcd;
    EXPECT_EQ(SioCTS(kPort), 0x10);
    EXPECT_EQ(SioDSR(kPort), 0x20);
    EXPECT_EQ(SioRI(kPort), 0x40);
    EXPECT_EQ(SioDCD(kPort), 0x80);
    dev.modemBits = kLineCts;
    EXPECT_EQ(SioDSR(kPort), 0);
    EXPECT_EQ(SioCTS(kPort + 1), SIO_E_NOT_OPEN);
}

TEST_F(Lines, BreakSendAndDetect) {
    EXPECT_EQ(SioBrkSig(kPort, 'A'), 1);
    EXPECT_TRUE(dev.breakOn);
    EXPECT_EQ(SioBrkSig(kPort, 'C'), 1);
    EXPECT_FALSE(dev.breakOn);
    dev.breakErrno = EIO;
    EXPECT_EQ(SioBrkSig(kPort, 'A'), 0);
    EXPECT_EQ(SioBrkSig(kPort, 'a'), SIO_E_BAD_ARG);

    EXPECT_EQ(SioBrkSig(kPort, 'D'), 0);
    dev.counters.brk++;
    dev.counters.frame++;
    EXPECT_EQ(SioBrkSig(kPort, 'D'), 0x10);
    EXPECT_EQ(SioBrkSig(kPort, 'D'), 0) << "reported once";
    EXPECT_EQ(SioStatus(kPort, 0xFFFF), 0) << "'D' cleared the framing error too";
}

TEST_F(Lines, StatusReportsEachErrorOnce) {
    dev.counters.brk += 2;
    EXPECT_EQ(SioStatus(kPort, 0x10), 0x10);
    EXPECT_EQ(SioStatus(kPort, 0x10), 0);
    dev.counters.overrun++;
    dev.counters.parity++;
    dev.counters.frame++;
    dev.counters.bufOverrun++;
    EXPECT_EQ(SioStatus(kPort, 0x0004), 0x0004) << "the mask selects, the read clears all";
    EXPECT_EQ(SioStatus(kPort, 0xFFFF), 0);
    dev.counters.overrun++;
    dev.counters.bufOverrun++;
    EXPECT_EQ(SioStatus(kPort, 0xFFFF), 0x0003);
    dev.countersErrno = EIO;
    EXPECT_EQ(SioStatus(kPort, 0xFFFF), -1);
    EXPECT_EQ(SioBrkSig(kPort, 'D'), 0);
    dev.countersErrno = ENOTTY;
    EXPECT_EQ(SioStatus(kPort, 0xFFFF), 0) << "a device without counters has no errors to tell";
}

TEST_F(Lines, ErrorsFromBeforeTheOpenAreNotReported) {
    ASSERT_EQ(SioDone(kPort), 1);
    dev.counters.parity = 5;
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    EXPECT_EQ(SioStatus(kPort, 0xFFFF), 0);
}

TEST_F(Lines, ModemAndErrorEventsAfterTheWaitBegan) {
    struct Case {
        unsigned mask;
        std::function<void(FakeDevice&)> change;
    };
    const Case cases[] = {
        {SIO_EV_CTS, [](FakeDevice& d) { d.modemBits |= kLineCts; }},
        {SIO_EV_DSR, [](FakeDevice& d) { d.modemBits |= kLineDsr; }},
        {SIO_EV_RLSD, [](FakeDevice& d) { d.modemBits |= kLineDcd; }},
        {SIO_EV_RING, [](FakeDevice& d) { d.modemBits |= kLineRi; }},
        {SIO_EV_CTS, [](FakeDevice& d) { d.counters.cts++; }},  // changed and back between looks
        {SIO_EV_BREAK, [](FakeDevice& d) { d.counters.brk++; }},
        {SIO_EV_ERR, [](FakeDevice& d) { d.counters.parity++; }},
        {SIO_EV_TXEMPTY, [](FakeDevice& d) { d.outQueued = 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        dev.modemBits = 0;
        dev.outQueued = 10;
        int waits = 0;
        dev.onWait = [&](FakeDevice& d) {
            if (++waits == 3) c.change(d);
        };
        EXPECT_EQ(SioEventWait(kPort, c.mask, 1000), 3);
        EXPECT_EQ(waits, 3) << "the wait looked at the line until it changed";
        EXPECT_EQ(tolk::gIo[kPort].eventState, 3);
    }
    // Unrelated changes do not end a wait; the time limit does.
    dev.onWait = [](FakeDevice& d) { d.modemBits ^= kLineDsr; };
    const uint32_t before = dev.tick;
    EXPECT_EQ(SioEventWait(kPort, SIO_EV_CTS | SIO_EV_BREAK, 200), 2);
    EXPECT_GE(dev.tick - before, 200u);
    EXPECT_EQ(tolk::gIo[kPort].eventState, 2);
}

TEST_F(Lines, ReleaseAndSynchronousMode) {
    dev.onWait = [](FakeDevice& d) { d.wakePending = true; };
    EXPECT_EQ(SioEvent(kPort, SIO_EV_CTS), 3);
    dev.onWait = nullptr;
    EXPECT_EQ(SioSetInteger(kPort, 'S', 0), 2);
    EXPECT_TRUE(dev.wakePending);
    EXPECT_EQ(SioEventWait(kPort, SIO_EV_CTS, 50), 2) << "arming forgot the earlier release";

    ASSERT_EQ(SioDone(kPort), 1);
    tolk::gLib.synchronous = true;
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 0);
    EXPECT_EQ(SioEvent(kPort, SIO_EV_CTS), 3) << "no waits in synchronous mode";
    ASSERT_EQ(SioDone(kPort), 1);
    tolk::gLib.synchronous = false;
    tolk::gLib.anySynchronousOpen = false;
}

TEST_F(Lines, EventCharacterNeedsReadableSettings) {
    dev.getAttrErrno = EIO;
    EXPECT_EQ(SioEventChar(kPort, '\n', 0), SIO_E_OS_ERROR);
    EXPECT_EQ(tolk::gLib.lastOsError, EIO);
    dev.getAttrErrno = 0;
    dev.input = {'a', '\n'};
    EXPECT_EQ(SioEventChar(kPort, '\n', 0), 3);
    EXPECT_EQ(tolk::gLineSettings[kPort].EvtChar, '\n');
    EXPECT_EQ(SioGetc(kPort), 'a');
}

std::vector<std::string> gShown;
void keep(const char* caption, const char* text, void*) {
    gShown.push_back(std::string(caption) + "|" + text);
}

TEST_F(Lines, ThreadThatCannotStart) {
    gShown.clear();
    SioSetMessageHandler(keep, nullptr);
    const int started = SioInfo('M');
    EXPECT_EQ(SioMessage(kPort, &dev, 0x0400, SIO_EV_RXCHAR), SIO_E_THREAD);
    ASSERT_EQ(gShown.size(), 1u);
    EXPECT_EQ(gShown[0], "Info|Cannot create message thread");
    EXPECT_EQ(SioInfo('M'), started);
    EXPECT_EQ(tolk::gGates[kPort].messageThread.load(), 0u) << "nothing recorded";

    tolk::gLib.messageBoxes = false;
    EXPECT_EQ(SioMessage(kPort, &dev, 0x0400, SIO_EV_RXCHAR), SIO_E_THREAD);
    EXPECT_EQ(gShown.size(), 1u) << "diagnostic messages off";
}

TEST_F(Lines, TimeoutsNeedADeviceThatAnswers) {
    EXPECT_EQ(SioSetTimeouts(kPort, 1, 2, 3, 4, 5), 1);
    EXPECT_EQ(tolk::gPorts[kPort].deviceTimeouts.writeTotalConstant, 5u);
    dev.getAttrErrno = EIO;
    EXPECT_EQ(SioSetTimeouts(kPort, 0, 0, 0, 0, 0), SIO_E_OS_ERROR);
    EXPECT_EQ(tolk::gLib.lastOsError, EIO);
}

TEST_F(Lines, ResetDeviceAtOpenIsASwitch) {
    ASSERT_EQ(SioDone(kPort), 1);
    const int flushes = dev.flushes;
    EXPECT_EQ(SioDebug('R'), 'R');
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    EXPECT_GT(dev.flushes, flushes);
    tolk::gLib.resetDeviceAtOpen = false;
}

}  // namespace
