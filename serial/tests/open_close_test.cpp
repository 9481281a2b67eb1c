// Opening and closing ports on pseudo-terminals: results, exclusivity, the
// probe, the open-time line settings and the rate.
#include <gtest/gtest.h>
#include <sys/file.h>

#include "pty_pair.h"
#include "tolk.h"

namespace {

constexpr int kPort = 5;  // COM6

TEST(OpenClose, OpensIdleLineAndClosesOnce) {
    PtyPair pty(kPort);
    EXPECT_EQ(SioReset(kPort, 8192, 8192), 1);  // nothing waiting
    EXPECT_EQ(SioDone(kPort), 1);
    EXPECT_EQ(SioDone(kPort), SIO_E_NOT_OPEN);
}

TEST(OpenClose, BadPortNumbersAreOutOfRangeEverywhere) {
    for (int port : {256, -2, 1000, -1000}) {
        SCOPED_TRACE(port);
        unsigned char b = 0;
        EXPECT_EQ(SioReset(port, 8192, 8192), SIO_E_RANGE);
        EXPECT_EQ(SioDone(port), SIO_E_RANGE);
        EXPECT_EQ(SioBaud(port, 8), SIO_E_RANGE);
        EXPECT_EQ(SioGetc(port), SIO_E_RANGE);
        EXPECT_EQ(SioPutc(port, 'x'), SIO_E_RANGE);
        EXPECT_EQ(SioPuts(port, "x", 1), SIO_E_RANGE);
        EXPECT_EQ(SioGets(port, &b, 1), SIO_E_RANGE);
        EXPECT_EQ(SioUnGetc(port, 'x'), SIO_E_RANGE);
        EXPECT_EQ(SioRxQue(port), SIO_E_RANGE);
        EXPECT_EQ(SioTxQue(port), SIO_E_RANGE);
        EXPECT_EQ(SioRxClear(port), SIO_E_RANGE);
        EXPECT_EQ(SioTxClear(port), SIO_E_RANGE);
    }
    // -1 addresses the open defaults only where that is defined.
    EXPECT_EQ(SioGetc(-1), SIO_E_RANGE);
    EXPECT_EQ(SioDone(-1), SIO_E_RANGE);
    EXPECT_EQ(SioRead(-1), -1);
    EXPECT_EQ(SioRead(3), -1);
}

TEST(OpenClose, ClosedPortsAnswerNotOpen) {
    PtyPair pty(kPort);
    unsigned char b = 0;
    auto expectAllNotOpen = [&] {
        EXPECT_EQ(SioBaud(kPort, 8), SIO_E_NOT_OPEN);
        EXPECT_EQ(SioGetc(kPort), SIO_E_NOT_OPEN);
        EXPECT_EQ(SioPutc(kPort, 'x'), SIO_E_NOT_OPEN);
        EXPECT_EQ(SioPuts(kPort, "x", 1), SIO_E_NOT_OPEN);
        EXPECT_EQ(SioGets(kPort, &b, 1), SIO_E_NOT_OPEN);
        EXPECT_EQ(SioUnGetc(kPort, 'x'), SIO_E_NOT_OPEN);
        EXPECT_EQ(SioRxQue(kPort), SIO_E_NOT_OPEN);
        EXPECT_EQ(SioTxQue(kPort), SIO_E_NOT_OPEN);
        EXPECT_EQ(SioRxClear(kPort), SIO_E_NOT_OPEN);
        EXPECT_EQ(SioTxClear(kPort), SIO_E_NOT_OPEN);
        EXPECT_EQ(SioDone(kPort), SIO_E_NOT_OPEN);
    };
    expectAllNotOpen();  // never opened
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    ASSERT_EQ(SioDone(kPort), 1);
    expectAllNotOpen();  // after SioDone
}

TEST(OpenClose, SecondOpenFailsAndFirstKeepsWorking) {
    PtyPair pty(kPort);
    ASSERT_GE(SioReset(kPort, 8192, 8192), 0);
    EXPECT_EQ(SioReset(kPort, 8192, 8192), SIO_E_OS_ERROR);
    // The same device under another port number is held too.
    ::setenv("TOLK_COM8", pty.path().c_str(), 1);
    EXPECT_EQ(SioReset(7, 8192, 8192), SIO_E_OS_ERROR);
    ::unsetenv("TOLK_COM8");
    EXPECT_EQ(SioRxQue(7), SIO_E_NOT_OPEN);

    EXPECT_EQ(SioPutc(kPort, 'A'), 1);
    EXPECT_EQ(pty.receive(1), std::vector<unsigned char>{'A'});
    pty.send("z");
    ASSERT_EQ(waitForInput(SioRxQue, kPort, 1), 1);
    EXPECT_EQ(SioGetc(kPort), 'z');
    EXPECT_EQ(SioDone(kPort), 1);
}

TEST(OpenClose, LockHoldsAgainstOtherOpenersEvenRoot) {
    PtyPair pty(kPort);
    ASSERT_GE(SioReset(kPort, 8192, 8192), 0);
    int fd = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0) << "root may open past TIOCEXCL; the lock is what holds";
    EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
    ASSERT_EQ(SioDone(kPort), 1);
    // Closing releases the lock.
    fd = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
}

TEST(OpenClose, MissingDeviceIsAnOsError) {
    ::setenv("TOLK_COM10", "/dev/no-such-serial-device", 1);
    EXPECT_EQ(SioReset(9, 8192, 8192), SIO_E_OS_ERROR);
    EXPECT_EQ(SioRxQue(9), SIO_E_NOT_OPEN);
    ::unsetenv("TOLK_COM10");
    // Beyond COM96 no device is named at all.
    EXPECT_EQ(SioReset(200, 8192, 8192), SIO_E_OS_ERROR);
    EXPECT_EQ(SioDone(200), SIO_E_NOT_OPEN);
}

TEST(OpenClose, NotATerminalIsRefused) {
    ::setenv("TOLK_COM10", "/dev/null", 1);
    EXPECT_EQ(SioReset(9, 8192, 8192), SIO_E_OS_ERROR);
    EXPECT_EQ(SioRxQue(9), SIO_E_NOT_OPEN);
    ::unsetenv("TOLK_COM10");
}

TEST(OpenClose, ProbeKeepsAWaitingByteIncludingZero) {
    for (unsigned char waiting : {static_cast<unsigned char>('K'), static_cast<unsigned char>(0)}) {
        SCOPED_TRACE(static_cast<int>(waiting));
        PtyPair pty(kPort);
        pty.send(std::vector<unsigned char>{waiting, 'x'});
        ::usleep(20000);
        ASSERT_EQ(SioReset(kPort, 8192, 8192), 2);
        EXPECT_EQ(SioRxQue(kPort), 1) << "the kept byte is not counted, the next one is";
        EXPECT_EQ(SioGetc(kPort), waiting);
        EXPECT_EQ(SioGetc(kPort), 'x');
        EXPECT_EQ(SioGetc(kPort), SIO_E_NO_DATA);
        EXPECT_EQ(SioDone(kPort), 1);
    }
}

TEST(OpenClose, OpensRawWithoutFlowControlOrHangupOnClose) {
    PtyPair pty(kPort);
    // Start from a cooked line, as a freshly created terminal is.
    struct termios cooked {};
    ::tcgetattr(pty.slaveFd(), &cooked);
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_iflag |= IXON | IXOFF | ICRNL;
    cooked.c_oflag |= OPOST;
    cooked.c_cflag |= HUPCL;
    ::tcsetattr(pty.slaveFd(), TCSANOW, &cooked);

    ASSERT_GE(SioReset(kPort, 8192, 8192), 0);
    struct termios t {};
    ASSERT_EQ(::tcgetattr(pty.slaveFd(), &t), 0);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cflag & HUPCL, 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(SioDone(kPort), 1);
}

speed_t slaveSpeed(const PtyPair& pty) {
    struct termios t {};
    ::tcgetattr(pty.slaveFd(), &t);
    return ::cfgetospeed(&t);
}

TEST(OpenClose, RatesByCodeAndByValue) {
    PtyPair pty(kPort);
    ASSERT_GE(SioReset(kPort, 8192, 8192), 0);
    EXPECT_EQ(slaveSpeed(pty), static_cast<speed_t>(B19200));  // the open default
    EXPECT_EQ(SioBaud(kPort, 8), 1);
    EXPECT_EQ(slaveSpeed(pty), static_cast<speed_t>(B57600));
    EXPECT_EQ(SioBaud(kPort, 9), 1);
    EXPECT_EQ(slaveSpeed(pty), static_cast<speed_t>(B115200));
    EXPECT_EQ(SioBaud(kPort, 57600), 1);
    EXPECT_EQ(slaveSpeed(pty), static_cast<speed_t>(B57600));
    if (std::getenv("TOLK_TEST_EMULATED") == nullptr) {
        EXPECT_EQ(SioBaud(kPort, 10), 1) << "10 is a literal rate, set through termios2";
        EXPECT_EQ(SioBaud(kPort, 250000), 1);
    } else {
        // qemu-user does not pass termios2 on: only the B-constant rates exist.
        EXPECT_EQ(SioBaud(kPort, 10), 0) << "refused, not taken as a code";
        EXPECT_EQ(slaveSpeed(pty), static_cast<speed_t>(B57600)) << "the rate in force stays";
    }
    EXPECT_EQ(SioDone(kPort), 1);

    EXPECT_EQ(SioBaud(-1, 5), 0);
    ASSERT_GE(SioReset(kPort, 8192, 8192), 0);
    EXPECT_EQ(slaveSpeed(pty), static_cast<speed_t>(B9600));
    EXPECT_EQ(SioDone(kPort), 1);
    EXPECT_EQ(SioBaud(-1, 6), 0);  // back to 19200 for the other tests
}

TEST(OpenClose, CloseRestoresTheTtysReadTiming) {
    PtyPair pty(kPort);
    struct termios t {};
    ::tcgetattr(pty.slaveFd(), &t);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 7;
    ::tcsetattr(pty.slaveFd(), TCSANOW, &t);
    ASSERT_GE(SioReset(kPort, 8192, 8192), 0);
    ::tcgetattr(pty.slaveFd(), &t);
    EXPECT_EQ(t.c_cc[VMIN], 1);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    ASSERT_EQ(SioDone(kPort), 1);
    ::tcgetattr(pty.slaveFd(), &t);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 7);
}

}  // namespace
