// Why an open failed, on real pseudo-terminals: a device held by another
// port, a device the caller may not open, a missing one. And what closing
// leaves behind: the terminal settings the device had before the open.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "odd_rate.h"
#include "pty_pair.h"
#include "tolk.h"

namespace {

TEST(OpenErrors, BusyDeviceNamesTheReason) {
    PtyPair first(20);
    ::setenv("TOLK_COM22", first.path().c_str(), 1);  // a second name for the same device
    ASSERT_EQ(SioReset(20, 8192, 8192), 1);
    EXPECT_EQ(SioReset(21, 8192, 8192), SIO_E_OS_ERROR);
    EXPECT_EQ(SioWinError(nullptr, -1), EBUSY);
    char text[128];
    SioWinError(text, sizeof text);
    EXPECT_STREQ(text, "Device or resource busy");
    EXPECT_EQ(SioDone(21), SIO_E_NOT_OPEN) << "the failed open left nothing open";
    EXPECT_EQ(SioDone(20), 1);
    ::unsetenv("TOLK_COM22");
}

TEST(OpenErrors, MissingDeviceIsNoSuchFile) {
    ::setenv("TOLK_COM23", "/dev/kvr-test-no-such-device", 1);
    EXPECT_EQ(SioReset(22, 8192, 8192), SIO_E_OS_ERROR);
    EXPECT_EQ(SioWinError(nullptr, -1), ENOENT);
    ::unsetenv("TOLK_COM23");
}

// chmod 000 keeps out everyone but root; as root the check runs in a child
// that has given up root first.
TEST(OpenErrors, DeviceWithoutPermissionIsAccessDenied) {
    PtyPair pty(23);
    ASSERT_EQ(::chmod(pty.path().c_str(), 0), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        const int r = SioReset(23, 8192, 8192);
        const int err = SioWinError(nullptr, -1);
        ::_exit(r == SIO_E_OS_ERROR && err == EACCES ? 0 : (r >= 0 ? 1 : 2));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: opened anyway; 2: another error; 3: could not drop root";
    ::chmod(pty.path().c_str(), 0620);
}

// The settings a console might have: line editing, echo, CR/LF mapping, a
// rate and read timing of its own.
struct termios consoleSettings(int fd) {
    struct termios t {};
    ::tcgetattr(fd, &t);
    t.c_iflag = ICRNL | IXON | IXOFF | BRKINT;
    t.c_oflag = OPOST | ONLCR;
    t.c_lflag = ICANON | ECHO | ECHOE | ISIG | IEXTEN;
    t.c_cflag = (t.c_cflag & ~(CSIZE | PARENB)) | CS8 | CREAD | HUPCL;
    t.c_cc[VMIN] = 4;
    t.c_cc[VTIME] = 7;
    t.c_cc[VINTR] = 3;
    t.c_cc[VEOF] = 4;
    ::cfsetispeed(&t, B9600);
    ::cfsetospeed(&t, B9600);
    return t;
}

void expectSame(const struct termios& want, const struct termios& got) {
    EXPECT_EQ(want.c_iflag, got.c_iflag);
    EXPECT_EQ(want.c_oflag, got.c_oflag);
    EXPECT_EQ(want.c_cflag, got.c_cflag);
    EXPECT_EQ(want.c_lflag, got.c_lflag);
    for (int i = 0; i < NCCS; ++i)
        EXPECT_EQ(want.c_cc[i], got.c_cc[i]) << "c_cc[" << i << "]";
    EXPECT_EQ(::cfgetospeed(&want), ::cfgetospeed(&got));
    EXPECT_EQ(::cfgetispeed(&want), ::cfgetispeed(&got));
}

TEST(CloseRestores, EveryTerminalSettingAsFoundAtOpen) {
    PtyPair pty(24);
    struct termios before = consoleSettings(pty.slaveFd());
    ASSERT_EQ(::tcsetattr(pty.slaveFd(), TCSANOW, &before), 0);
    ASSERT_EQ(::tcgetattr(pty.slaveFd(), &before), 0);

    ASSERT_EQ(SioReset(24, 8192, 8192), 1);
    ASSERT_EQ(SioBaud(24, 57600), 1);
    ASSERT_EQ(SioParms(24, SIO_PARITY_NONE, SIO_STOP_TWO, 8), 0);
    ASSERT_EQ(SioFlow(24, 'H'), 1);
    struct termios open {};
    ASSERT_EQ(::tcgetattr(pty.slaveFd(), &open), 0);
    EXPECT_EQ(open.c_lflag & (ICANON | ECHO), 0u) << "raw while open";
    EXPECT_EQ(::cfgetospeed(&open), B57600);

    ASSERT_EQ(SioDone(24), 1);
    struct termios after {};
    ASSERT_EQ(::tcgetattr(pty.slaveFd(), &after), 0);
    expectSame(before, after);
}

TEST(CloseRestores, ARateOutsideTheStandardOnesToo) {
    if (std::getenv("TOLK_TEST_EMULATED")) GTEST_SKIP() << "no termios2 under the emulator";
    PtyPair pty(25);
    ASSERT_EQ(setOddRate(pty.slaveFd(), 250000), 0);
    struct termios before {};
    ASSERT_EQ(::tcgetattr(pty.slaveFd(), &before), 0);

    ASSERT_EQ(SioReset(25, 8192, 8192), 1);
    ASSERT_EQ(SioBaud(25, 57600), 1);
    EXPECT_EQ(oddRate(pty.slaveFd()), 57600u);
    ASSERT_EQ(SioDone(25), 1);
    EXPECT_EQ(oddRate(pty.slaveFd()), 250000u);
    struct termios after {};
    ASSERT_EQ(::tcgetattr(pty.slaveFd(), &after), 0);
    expectSame(before, after);
}

}  // namespace
