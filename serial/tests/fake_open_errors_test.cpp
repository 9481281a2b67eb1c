// Refused opens and what closing puts back, against the fake OS layer: a
// device the caller may not open (tests run as root, where chmod keeps no one
// out), and the settings a failed open never read.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "fake_os.h"
#include "port_table.h"
#include "tolk.h"

namespace {

constexpr int kPort = 12;

class FakeOpen : public ::testing::Test {
protected:
    void TearDown() override { SioDone(kPort); }
    FakeOs fake;
    FakeDevice& dev = fake.device();
};

TEST_F(FakeOpen, PermissionRefusalKeepsItsReason) {
    for (int err : {EACCES, EPERM, EBUSY}) {
        SCOPED_TRACE(err);
        dev.openErrno = err;
        EXPECT_EQ(SioReset(kPort, 8192, 8192), SIO_E_OS_ERROR);
        EXPECT_EQ(SioWinError(nullptr, -1), err);
        char text[128];
        SioWinError(text, sizeof text);
        EXPECT_STREQ(text, std::strerror(err));
        EXPECT_EQ(SioDone(kPort), SIO_E_NOT_OPEN);
    }
}

TEST_F(FakeOpen, CloseHandsBackTheSettingsFoundAtOpen) {
    struct termios found {};
    found.c_lflag = ICANON | ECHO;
    found.c_iflag = ICRNL;
    found.c_cc[VMIN] = 1;
    dev.lastAttr = found;
    dev.lastRate = 9600;
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    EXPECT_EQ(dev.lastAttr.c_lflag & ICANON, 0u);
    ASSERT_EQ(SioDone(kPort), 1);
    EXPECT_EQ(dev.lastRate, 9600u);
    EXPECT_EQ(std::memcmp(&dev.lastAttr, &found, sizeof found), 0);
}

TEST_F(FakeOpen, CloseAfterAnOpenThatReadNoSettingsChangesNothing) {
    // A first open leaves settings of its own in the port's record...
    dev.lastRate = 9600;
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    ASSERT_EQ(SioDone(kPort), 1);
    // ...which must not reach a device whose settings could not be read.
    dev.getAttrErrno = EIO;
    ASSERT_EQ(SioReset(kPort, 8192, 8192), SIO_E_OS_ERROR);
    const int calls = dev.setAttrCalls;
    EXPECT_EQ(SioDone(kPort), 1);
    EXPECT_EQ(dev.setAttrCalls, calls);
}

}  // namespace
