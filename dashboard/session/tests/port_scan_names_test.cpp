// What the port scan says beyond its results: the device behind each port it
// found, a reason and a hint for a port it was refused, the devices given a
// port; and the one-line text of a failed open.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "dashboard/dashboard_core.h"
#include "dashboard/link/port_error.h"
#include "dashboard/link/memory_serial_port.h"
#include "tolk.h"

namespace kvr {
namespace {



std::vector<std::string> scan(MemorySerialPort& port) {
    DashboardCore core(port);
    core.session.scanPorts();
    return core.messages.lines;
}

TEST(ScanNames, ResultLinesStayAndWhatWasLearntFollows) {
    MemorySerialPort port;
    port.resetResults = {{0, 1}, {3, 2}};
    port.devices = {{0, "/dev/ttyS0"},
                    {1, "/dev/ttyS1"},
                    {2, "/dev/ttyUSB0"},
                    {3, "/dev/pts/kvr-none"},
                    {4, "/dev/ttyS4"}};
    port.openErrors = {{1, EACCES}, {2, EBUSY}, {4, ENOENT}, {5, EIO}};
    port.newDeviceLines = {"COM2 is now /dev/serial/by-id/usb-Acme (port map /x/ports.conf)"};
    const auto memo = scan(port);
    ASSERT_EQ(memo.size(), 41u + 1 + 4);
    EXPECT_EQ(memo[0], "COM PORT 1 AVAILABLE 1");
    EXPECT_EQ(memo[1], "COM PORT 2 NOT AVAILABLE -103");
    EXPECT_EQ(memo[3], "COM PORT 4 AVAILABLE 2");
    EXPECT_EQ(memo[40], "There are 2 Com ports available");
    EXPECT_EQ(memo[41], port.newDeviceLines[0]);
    EXPECT_EQ(memo[42], "COM1: /dev/ttyS0");
    EXPECT_EQ(memo[43],
              "cannot open COM2 (/dev/ttyS1): Permission denied: join the dialout group "
              "(sudo usermod -aG dialout $USER, then log in again), or install the udev rule "
              "from the README");
    EXPECT_EQ(memo[44],
              "cannot open COM3 (/dev/ttyUSB0): Device or resource busy: another program has the port open");
    EXPECT_EQ(memo[45], "COM4: /dev/pts/kvr-none");
    // Missing devices (COM5) and other failures (COM6) add nothing.
}

TEST(ScanNames, DeviceLineShowsWhereALinkLeads) {
    char dir[] = "/tmp/kvr-scan-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/usb-Acme-if00";
    ASSERT_EQ(::symlink("/dev/null", link.c_str()), 0);
    MemorySerialPort port;
    port.resetResults = {{6, 1}};
    port.devices = {{6, link}};
    const auto memo = scan(port);
    EXPECT_EQ(memo.back(), "COM7: " + link + " (/dev/null)");
    ::unlink(link.c_str());
    ::rmdir(dir);
}

TEST(PortOpenText, NamesDeviceReasonAndWhatToDo) {
    EXPECT_EQ(portOpenMessage(4, "/dev/ttyUSB0", SIO_E_OS_ERROR, EACCES)
                  .rfind("cannot open COM5 (/dev/ttyUSB0): Permission denied: join the dialout group", 0),
              0u);
    EXPECT_EQ(portOpenMessage(0, "/dev/ttyACM0", SIO_E_OS_ERROR, ENOENT),
              "cannot open COM1 (/dev/ttyACM0): No such file or directory: is it plugged in? "
              "kvrtool ports --devices lists the devices present");
    EXPECT_EQ(portOpenMessage(2, "/dev/ttyS2", SIO_E_OS_ERROR, EIO),
              "cannot open COM3 (/dev/ttyS2): Input/output error");
    EXPECT_EQ(portOpenMessage(99, "", SIO_E_OS_ERROR, ENOENT).rfind("cannot open COM100 (no device): ", 0),
              0u);
    EXPECT_EQ(portOpenMessage(1, "/dev/pts/3", SIO_E_IO, 0),
              "cannot open COM2 (/dev/pts/3): the device does not answer");
    EXPECT_EQ(portOpenHint(EIO), "");
}

TEST(PortOpenText, FromTheLibrarysLastFailedOpen) {
    ::setenv("TOLK_COM9", "/dev/kvr-test-no-such-device", 1);
    const int r = SioReset(8, 8192, 8192);
    ASSERT_EQ(r, SIO_E_OS_ERROR);
    EXPECT_EQ(portOpenError(8, r).rfind(
                  "cannot open COM9 (/dev/kvr-test-no-such-device): No such file or directory: ", 0),
              0u);
    ::unsetenv("TOLK_COM9");
}

}  // namespace
}  // namespace kvr
