// Character format, flow control, timeouts, switches, information and the
// last OS error on pseudo-terminals.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "pty_pair.h"
#include "tolk.h"

namespace {

constexpr int kPort = 6;  // COM7

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

class Line : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SioReset(kPort, 8192, 8192), 1); }
    void TearDown() override { SioDone(kPort); }
    struct termios slaveTermios() {
        struct termios t {};
        ::tcgetattr(pty.slaveFd(), &t);
        return t;
    }
    PtyPair pty{kPort};
};

TEST(LineDefaults, ValuesAreCheckedBeforeThePort) {
    EXPECT_EQ(SioParms(0, 5, 0, 8), SIO_E_BAD_ARG);
    EXPECT_EQ(SioParms(0, 0, 3, 8), SIO_E_BAD_ARG);
    EXPECT_EQ(SioParms(0, 0, 0, 9), SIO_E_BAD_ARG);
    EXPECT_EQ(SioParms(0, 0, 0, 4), SIO_E_BAD_ARG);
    EXPECT_EQ(SioParms(-1, -1, 0, 8), SIO_E_BAD_ARG);
    EXPECT_EQ(SioParms(300, 9, 0, 8), SIO_E_BAD_ARG);
    EXPECT_EQ(SioParms(300, 0, 0, 8), SIO_E_RANGE);
    EXPECT_EQ(SioParms(kPort, 0, 0, 8), SIO_E_NOT_OPEN);
}

TEST(LineDefaults, OpenFormatFromPortMinusOneMasksBytes) {
    PtyPair pty(kPort);
    ASSERT_EQ(SioParms(-1, 2, 0, 7), 0);
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    pty.send(std::vector<unsigned char>{0xC1, 0xFF});
    ASSERT_EQ(waitForInput(SioRxQue, kPort, 2), 2);
    EXPECT_EQ(SioGetc(kPort), 0x41);
    EXPECT_EQ(SioGetc(kPort), 0x7F);
    EXPECT_EQ(SioDone(kPort), 1);
    EXPECT_EQ(SioParms(-1, 0, 0, 8), 0);
}

TEST_F(Line, FormatReachesTheTtyAndTheDataMask) {
    // A pseudo-terminal keeps 8 data bits and no parity whatever it is told,
    // but the stop bits stay; the library masks the bytes itself.
    EXPECT_EQ(SioParms(kPort, 1, 2, 6), 0);
    EXPECT_NE(slaveTermios().c_cflag & CSTOPB, 0u);
    EXPECT_EQ(SioParms(kPort, 0, 1, 8), 0);  // 1.5 stop bits: two on Linux
    EXPECT_NE(slaveTermios().c_cflag & CSTOPB, 0u);
    EXPECT_EQ(SioParms(kPort, 0, 0, 5), 0);
    EXPECT_EQ(slaveTermios().c_cflag & CSTOPB, 0u);
    pty.send(std::vector<unsigned char>{0xFF});
    ASSERT_EQ(waitForInput(SioRxQue, kPort, 1), 1);
    EXPECT_EQ(SioGetc(kPort), 0x1F);
}

TEST_F(Line, FlowControlModes) {
    EXPECT_EQ(SioFlow(kPort, 'h'), SIO_E_BAD_ARG);
    EXPECT_EQ(SioFlow(kPort, 'X'), SIO_E_BAD_ARG);
    EXPECT_EQ(SioFlow(kPort, 'S'), 1);
    struct termios t = slaveTermios();
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
    EXPECT_EQ(SioFlow(kPort, 'H'), 1);
    t = slaveTermios();
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(SioFlow(kPort, 'N'), 1);
    t = slaveTermios();
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(SioFlow(300, 'N'), SIO_E_RANGE);
}

TEST_F(Line, TimeoutsMakeReadsWait) {
    unsigned char buf[8];
    // Wait up to 300 ms for the first byte, then return with what came.
    ASSERT_EQ(SioSetTimeouts(kPort, 0xFFFFFFFFu, 0xFFFFFFFFu, 300, 0, 0), 1);
    auto t0 = Clock::now();
    EXPECT_EQ(SioGets(kPort, buf, 8), 0);
    EXPECT_GE(msSince(t0), 250);
    std::thread far([&] {
        ::usleep(50000);
        pty.send("ab");
    });
    t0 = Clock::now();
    EXPECT_EQ(SioGets(kPort, buf, 8), 2);
    EXPECT_LT(msSince(t0), 250);
    far.join();

    // A total limit: the read ends after 1 ms per byte + 100 ms.
    ASSERT_EQ(SioSetTimeouts(kPort, 0, 1, 100, 0, 0), 1);
    pty.send("x");
    t0 = Clock::now();
    EXPECT_EQ(SioGets(kPort, buf, 8), 1);
    EXPECT_GE(msSince(t0), 90);

    // Back to reads that return at once; a new open also restores them.
    ASSERT_EQ(SioSetTimeouts(kPort, 0xFFFFFFFFu, 0, 0, 0, 0), 1);
    t0 = Clock::now();
    EXPECT_EQ(SioGets(kPort, buf, 8), 0);
    EXPECT_LT(msSince(t0), 50);
    EXPECT_EQ(SioSetTimeouts(300, 0, 0, 0, 0, 0), SIO_E_RANGE);
}

TEST(Switches, SetIntegerCodes) {
    EXPECT_EQ(SioInfo('I'), 1);  // initialises the library
    EXPECT_EQ(SioSetInteger(0, 'M', 0), 0) << "overlapped mode after initialisation";
    EXPECT_EQ(SioSetInteger(999, 'O', 0), 0) << "'O' does not look at the port";
    EXPECT_EQ(SioSetInteger(0, 'M', 0), 1);
    EXPECT_EQ(SioSetInteger(0, 'O', 5), 5);
    EXPECT_EQ(SioSetInteger(0, 'M', 0), 0);
    EXPECT_EQ(SioSetInteger(-7, 'X', 1), 1);

    // Codes that use a port check its range only.
    EXPECT_EQ(SioSetInteger(kPort, 'H', 0), -1) << "closed: the invalid handle, all bits set";
    EXPECT_EQ(SioSetInteger(kPort, 'P', 250), 250);
    EXPECT_EQ(SioSetInteger(kPort, 'W', 0), 0);
    EXPECT_EQ(SioSetInteger(kPort, 'S', 0), 2);
    EXPECT_EQ(static_cast<int>(SioSetInteger(256, 'P', 1)), SIO_E_RANGE);
    // Other results are 32-bit values; a negative one reads as negative in
    // the full width too, so a caller that keeps the intptr_t sees it.
    const intptr_t unknown = SioSetInteger(kPort, 'Q', 0);
    EXPECT_EQ(static_cast<int>(unknown), -1);
    EXPECT_EQ(unknown, static_cast<intptr_t>(-1));

    PtyPair pty(kPort);
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    const intptr_t fd = SioSetInteger(kPort, 'H', 0);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::isatty(static_cast<int>(fd)), 1);
    EXPECT_EQ(SioDone(kPort), 1);
}

TEST(Switches, InfoAndDebugCodes) {
    EXPECT_EQ(SioInfo('1'), 0);
    EXPECT_EQ(SioInfo('2'), 0);
    EXPECT_EQ(SioInfo('6'), 0);
    EXPECT_EQ(SioInfo('3'), 1);
    EXPECT_EQ(SioInfo('V'), 0x1000);
    EXPECT_EQ(SioInfo('B'), 0x0001);
    EXPECT_GE(SioInfo('M'), SioInfo('m'));
    EXPECT_GE(SioInfo('c'), 0);
    EXPECT_EQ(SioInfo('x'), -1);
    EXPECT_EQ(SioInfo(0), -1);

    EXPECT_EQ(SioDebug('x'), -1);
    EXPECT_EQ(SioDebug('w'), -1);
    EXPECT_EQ(SioDebug(0x100 + 'W'), -1) << "compared as a whole integer";
    // 'W' sets write-no-wait on every port: a write returns 1 at once.
    EXPECT_EQ(SioDebug('W'), 'W');
    PtyPair pty(200);
    ASSERT_EQ(SioReset(200, 8192, 8192), 1);
    EXPECT_EQ(SioPuts(200, "abc", 3), 1);
    EXPECT_EQ(pty.receive(3), (std::vector<unsigned char>{'a', 'b', 'c'}));
    for (int port = 0; port < 256; ++port)
        SioSetInteger(port, 'W', 0);
    EXPECT_EQ(SioPuts(200, "abc", 3), 3);
    SioDone(200);
}

std::vector<std::string> gMessages;
void collect(const char* caption, const char* text, void* context) {
    EXPECT_EQ(context, &gMessages);
    gMessages.push_back(std::string(caption) + "|" + text);
}

TEST(Diagnostics, MessagesGoToTheHandler) {
    gMessages.clear();
    ASSERT_EQ(SioSetMessageHandler(collect, &gMessages), 0);
    EXPECT_EQ(SioDebug('m'), 0);  // off: nothing shown
    EXPECT_TRUE(gMessages.empty());
    EXPECT_EQ(SioDebug('m'), 1);
    ASSERT_EQ(gMessages.size(), 1u);
    EXPECT_EQ(gMessages[0], "Info|MsgBox enabled");
    SioSetMessageHandler(nullptr, nullptr);
}

TEST(Diagnostics, WinErrorTextFitsAnyBuffer) {
    gMessages.clear();
    SioSetMessageHandler(collect, &gMessages);
    ::setenv("TOLK_COM10", "/dev/no-such-serial-device", 1);
    ASSERT_EQ(SioReset(9, 8192, 8192), SIO_E_OS_ERROR);
    ::unsetenv("TOLK_COM10");

    char buf[64];
    std::memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(SioWinError(buf, sizeof buf), ENOENT);
    EXPECT_STREQ(buf, "The system cannot find the port specified.");

    // A small buffer gets the text cut and terminated, and nothing past it.
    std::memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(SioWinError(buf, 8), ENOENT);
    EXPECT_STREQ(buf, "The sys");
    EXPECT_EQ(buf[8], 'Z');
    std::memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(SioWinError(buf, 1), ENOENT);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(buf[1], 'Z');

    EXPECT_TRUE(gMessages.empty());
    EXPECT_EQ(SioWinError(nullptr, -1), ENOENT) << "negative size: nothing shown";
    EXPECT_TRUE(gMessages.empty());
    EXPECT_EQ(SioWinError(nullptr, 0), ENOENT);
    ASSERT_EQ(gMessages.size(), 1u);
    EXPECT_EQ(gMessages[0], "SioWinError|The system cannot find the port specified.");

    // Any other error reads as the system's text for it.
    PtyPair pty(kPort);
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    ASSERT_EQ(SioReset(kPort, 8192, 8192), SIO_E_OS_ERROR);  // held
    EXPECT_EQ(SioWinError(buf, sizeof buf), EBUSY);
    EXPECT_STREQ(buf, std::strerror(EBUSY));
    SioDone(kPort);
    SioSetMessageHandler(nullptr, nullptr);
}

TEST_F(Line, StatusOfALineWithoutErrorCounters) {
    EXPECT_EQ(SioStatus(kPort, 0xFFFF), 0);
    EXPECT_EQ(SioBrkSig(kPort, 'D'), 0);
    EXPECT_EQ(SioStatus(300, 0xFFFF), SIO_E_RANGE);
}

}  // namespace
