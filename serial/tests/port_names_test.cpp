// Port names: the environment over the port map file over the built-in
// table, the map file's syntax, writing it, the devices present and the ports
// the scan gives them. Devices are pseudo-terminals behind links in folders
// of the test's own.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "device_folders.h"
#include "tolk.h"

namespace {

struct Name {
    int source;
    std::string path;
};

Name nameOf(int port) {
    char buf[512];
    const int source = SioPortDevice(port, buf, sizeof buf);
    return {source, source >= 0 ? std::string(buf) : std::string()};
}

std::vector<SioDeviceInfo> devices() {
    std::vector<SioDeviceInfo> list(16);
    list.resize(static_cast<size_t>(SioDeviceList(list.data(), 16)));
    return list;
}

class PortNames : public ::testing::Test {
protected:
    DeviceFolders folders;
};

TEST_F(PortNames, EnvironmentOverFileOverTable) {
    EXPECT_EQ(nameOf(2).source, 3);
    EXPECT_EQ(nameOf(2).path, folders.dev() + "/ttyS2");
    EXPECT_EQ(nameOf(32).path, folders.dev() + "/ttyUSB0");
    EXPECT_EQ(nameOf(95).path, folders.dev() + "/ttyACM31");
    EXPECT_EQ(nameOf(96).source, 0) << "no device above COM96";
    EXPECT_EQ(nameOf(96).path, "");

    folders.writeMap("COM3=/dev/from-file\nCOM97=/dev/high\n");
    EXPECT_EQ(nameOf(2).source, 2);
    EXPECT_EQ(nameOf(2).path, "/dev/from-file");
    EXPECT_EQ(nameOf(96).path, "/dev/high") << "the file reaches past the table";
    EXPECT_EQ(nameOf(3).source, 3) << "other ports keep the table";

    ::setenv("TOLK_COM3", "/dev/from-env", 1);
    EXPECT_EQ(nameOf(2).source, 1);
    EXPECT_EQ(nameOf(2).path, "/dev/from-env");
    ::unsetenv("TOLK_COM3");
    EXPECT_EQ(nameOf(2).source, 2);
}

TEST_F(PortNames, FileSyntaxCommentsAndBadLines) {
    std::string longLine = "COM11=/" + std::string(3000, 'x') + "\n";
    folders.writeMap(
        "# a comment\n"
        "# COM4=/dev/commented-out\n"
        "\n"
        "  com4 =  /dev/spaced \t\r\n"
        "COM5=ttyACM7\n"
        "COM6=/dev/first\nCOM6=/dev/second\n"
        "COM07=/dev/leading-zero\n"
        "COM0=/dev/zero\n"
        "COM257=/dev/too-high\n"
        "COM8 /dev/no-equals\n"
        "COM9=\n"
        "COMX=/dev/not-a-number\n"
        "garbage\n" +
        longLine +
        "COM12=/dev/after-the-long-line\n"
        "COM256=/dev/last-port");
    EXPECT_EQ(nameOf(3).path, "/dev/spaced");
    EXPECT_EQ(nameOf(4).path, folders.dev() + "/ttyACM7") << "a bare name is under the device folder";
    EXPECT_EQ(nameOf(5).path, "/dev/second") << "the last line for a port counts";
    EXPECT_EQ(nameOf(6).source, 3);
    EXPECT_EQ(nameOf(7).source, 3);
    EXPECT_EQ(nameOf(8).source, 3);
    EXPECT_EQ(nameOf(10).source, 3) << "an over-long line is no entry";
    EXPECT_EQ(nameOf(11).path, "/dev/after-the-long-line");
    EXPECT_EQ(nameOf(255).path, "/dev/last-port") << "a last line without a line end";
}

TEST_F(PortNames, MapFileLocation) {
    char buf[512];
    ASSERT_GT(SioPortMapFile(buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf), folders.mapFile());

    ::unsetenv("TOLK_PORTS_FILE");
    const bool hadXdg = std::getenv("XDG_CONFIG_HOME") != nullptr;
    const std::string savedXdg = hadXdg ? std::getenv("XDG_CONFIG_HOME") : "";
    ::setenv("XDG_CONFIG_HOME", (folders.root() + "/xdg").c_str(), 1);
    SioPortMapFile(buf, sizeof buf);
    EXPECT_EQ(std::string(buf), folders.root() + "/xdg/tolk/ports.conf");
    ::unsetenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    ::setenv("HOME", (folders.root() + "/home").c_str(), 1);
    SioPortMapFile(buf, sizeof buf);
    EXPECT_EQ(std::string(buf), folders.root() + "/home/.config/tolk/ports.conf");
    EXPECT_EQ(SioPortAssign(4, "/dev/ttyUSB9"), 1) << "its folders are made";
    EXPECT_EQ(nameOf(4).path, "/dev/ttyUSB9");
    ::setenv("HOME", savedHome.c_str(), 1);
    // Put the configuration folder back, so later tests in this process do
    // not fall back to the real home's map file.
    if (hadXdg) ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    ::setenv("TOLK_PORTS_FILE", folders.mapFile().c_str(), 1);

    EXPECT_EQ(SioPortMapFile(buf, 4), static_cast<int>(folders.mapFile().size())) << "full length, cut copy";
    EXPECT_EQ(std::string(buf), folders.root().substr(0, 3));
    EXPECT_EQ(SioPortMapFile(nullptr, 10), SIO_E_BAD_ARG);
    EXPECT_EQ(SioPortDevice(0, buf, 0), SIO_E_BAD_ARG);
    EXPECT_EQ(SioPortDevice(256, buf, sizeof buf), SIO_E_RANGE);
}

TEST_F(PortNames, AssignKeepsTheRestOfTheFile) {
    folders.writeMap("# my ports\nCOM2=/dev/two\n# the ECU\nCOM5=/dev/old\nCOM9=/dev/nine\n");
    ASSERT_EQ(SioPortAssign(4, "/dev/new"), 1);
    EXPECT_EQ(folders.readMap(), "# my ports\nCOM2=/dev/two\n# the ECU\nCOM5=/dev/new\nCOM9=/dev/nine\n");

    // The device moves: it had COM9, now it has COM3 only.
    ASSERT_EQ(SioPortAssign(2, "/dev/nine"), 1);
    EXPECT_EQ(folders.readMap(), "# my ports\nCOM2=/dev/two\n# the ECU\nCOM5=/dev/new\nCOM3=/dev/nine\n");

    ASSERT_EQ(SioPortAssign(1, nullptr), 1);
    EXPECT_EQ(nameOf(1).source, 3) << "removed: back to the table";
    ASSERT_EQ(SioPortAssign(4, ""), 1);
    EXPECT_EQ(folders.readMap(), "# my ports\n# the ECU\nCOM3=/dev/nine\n");

    // One entry is one line: nothing may smuggle in another.
    EXPECT_EQ(SioPortAssign(6, "/dev/x\nCOM1=/dev/evil"), SIO_E_BAD_ARG);
    EXPECT_EQ(SioPortAssign(256, "/dev/x"), SIO_E_RANGE);
    EXPECT_EQ(folders.readMap(), "# my ports\n# the ECU\nCOM3=/dev/nine\n");
}

TEST_F(PortNames, AssignKeepsAMapFileThatIsALink) {
    const std::string kept = folders.root() + "/dotfiles-ports.conf";
    DeviceFolders::write(kept, "COM2=/dev/two\n");
    folders.writeMap("");
    ::unlink(folders.mapFile().c_str());
    ASSERT_EQ(::symlink(kept.c_str(), folders.mapFile().c_str()), 0);
    ASSERT_EQ(SioPortAssign(2, "/dev/three"), 1);
    char target[512] = "";
    EXPECT_GT(::readlink(folders.mapFile().c_str(), target, sizeof target - 1), 0) << "still a link";
    EXPECT_EQ(folders.readMap(), "COM2=/dev/two\nCOM3=/dev/three\n");
}

TEST_F(PortNames, AssignFailureIsReportedAndLeavesTheFile) {
    folders.writeMap("COM2=/dev/two\n");
    ::setenv("TOLK_PORTS_FILE", (folders.root() + "/config/tolk/ports.conf/inside-a-file").c_str(), 1);
    EXPECT_EQ(SioPortAssign(1, "/dev/x"), SIO_E_OS_ERROR);
    EXPECT_EQ(SioWinError(nullptr, -1), ENOTDIR);
    ::setenv("TOLK_PORTS_FILE", folders.mapFile().c_str(), 1);
    EXPECT_EQ(folders.readMap(), "COM2=/dev/two\n");
}

TEST_F(PortNames, AssignWritesTheStableName) {
    folders.addDevice("ttyACM0", "usb-Acme_Widget_42-if00");
    ASSERT_EQ(SioPortAssign(4, (folders.dev() + "/ttyACM0").c_str()), 1);
    EXPECT_EQ(nameOf(4).path, folders.dev() + "/serial/by-id/usb-Acme_Widget_42-if00");
    ASSERT_EQ(SioPortAssign(5, "ttyACM0"), 1) << "a bare name works as well";
    EXPECT_EQ(nameOf(5).path, folders.dev() + "/serial/by-id/usb-Acme_Widget_42-if00");
    EXPECT_EQ(nameOf(4).source, 3);
    EXPECT_EQ(SioReset(5, 8192, 8192), 1);
    EXPECT_EQ(SioDone(5), 1);
}

TEST_F(PortNames, ListsDevicesWithTheirNamesAndPorts) {
    folders.addDevice("ttyS0");
    folders.setUartType("ttyS0", 4);
    folders.addDevice("ttyS1");
    folders.setUartType("ttyS1", 0);  // a slot with no UART
    folders.addDevice("ttyACM0", "usb-Acme_Widget_42-if00");
    folders.addUsbInfo("ttyACM0", "2341", "0043", "Acme", "Widget Uno");
    folders.addDevice("ttyUSB10", "usb-FTDI_FT232R_A1-if00-port0");
    folders.addDevice("ttyUSB2");
    folders.addDevice("ttySX");
    folders.addDevice("console");
    DeviceFolders::write(folders.dev() + "/ttyUSB", "");

    EXPECT_EQ(SioDeviceList(nullptr, 0), 4);
    const auto list = devices();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(std::string(list[0].path), folders.dev() + "/ttyS0");
    EXPECT_EQ(list[0].port, 0);
    EXPECT_EQ(std::string(list[1].path), folders.dev() + "/ttyUSB2") << "by number, not by text";
    EXPECT_EQ(list[1].port, 34);
    EXPECT_EQ(std::string(list[1].byId), "");
    EXPECT_EQ(std::string(list[2].path), folders.dev() + "/ttyUSB10");
    EXPECT_EQ(std::string(list[2].byId), folders.dev() + "/serial/by-id/usb-FTDI_FT232R_A1-if00-port0");
    EXPECT_EQ(std::string(list[2].usbId), "");
    EXPECT_EQ(std::string(list[3].path), folders.dev() + "/ttyACM0");
    EXPECT_EQ(list[3].port, 64);
    EXPECT_EQ(std::string(list[3].usbId), "2341:0043");
    EXPECT_EQ(std::string(list[3].vendor), "Acme");
    EXPECT_EQ(std::string(list[3].product), "Widget Uno");

    // A map entry by its by-id name finds it too, and the lowest port counts.
    folders.writeMap("COM70=/dev/elsewhere\nCOM7=" + folders.dev() +
                     "/serial/by-id/usb-Acme_Widget_42-if00\n");
    EXPECT_EQ(devices()[3].port, 6);
}

TEST_F(PortNames, ScanGivesUnreachableAndUsbDevicesAPortOnce) {
    folders.addDevice("ttyS0");
    folders.setUartType("ttyS0", 4);
    folders.addDevice("ttyS1");
    folders.setUartType("ttyS1", 0);
    folders.addDevice("ttyS2");  // no sysfs entry: counts as a UART
    folders.addDevice("ttyUSB0", "usb-FTDI_FT232R_A1-if00-port0");
    folders.addDevice("ttyACM0", "usb-Acme_Widget_42-if00");
    folders.addUsbInfo("ttyACM0", "2341", "0043", "Acme", "Widget Uno");
    folders.addDevice("ttyACM1");                // no by-id name
    ::setenv("TOLK_COM2", "/dev/somewhere", 1);  // COM2 is the environment's

    SioDeviceInfo given[8];
    ASSERT_EQ(SioDeviceAssignNew(40, given, 8), 3);
    ::unsetenv("TOLK_COM2");
    // ttyUSB0 keeps its table port COM33, now by its stable name; the ACMs
    // take the lowest free ports: COM1 and COM3 have UARTs, COM2 is taken,
    // COM4 is the first one left.
    EXPECT_EQ(given[0].port, 32);
    EXPECT_EQ(std::string(given[0].byId), folders.dev() + "/serial/by-id/usb-FTDI_FT232R_A1-if00-port0");
    EXPECT_EQ(given[1].port, 1 + 2);
    EXPECT_EQ(given[2].port, 4);
    EXPECT_EQ(nameOf(32).path, folders.dev() + "/serial/by-id/usb-FTDI_FT232R_A1-if00-port0");
    EXPECT_EQ(nameOf(3).path, folders.dev() + "/serial/by-id/usb-Acme_Widget_42-if00");
    EXPECT_EQ(nameOf(4).path, folders.dev() + "/ttyACM1");
    const std::string map = folders.readMap();
    EXPECT_NE(map.find("# COM4: Acme Widget Uno (2341:0043), " + folders.dev() +
                       "/ttyACM0, given a port by the port scan on "),
              std::string::npos)
        << map;
    EXPECT_EQ(nameOf(0).source, 3) << "a serial port with a UART keeps its table name";

    EXPECT_EQ(SioDeviceAssignNew(40, given, 8), 0) << "a second scan changes nothing";
    EXPECT_EQ(folders.readMap(), map);

    // Plugged in again as ttyACM5: still COM4, and it opens.
    folders.renameDevice("ttyACM0", "ttyACM5", "usb-Acme_Widget_42-if00");
    EXPECT_EQ(SioDeviceAssignNew(40, given, 8), 0);
    EXPECT_EQ(SioReset(3, 8192, 8192), 1);
    EXPECT_EQ(SioDone(3), 1);
}

TEST_F(PortNames, ScanWithNoFreePortLeavesTheDeviceOut) {
    folders.addDevice("ttyS0");
    folders.addDevice("ttyACM0", "usb-Acme_Widget_42-if00");
    SioDeviceInfo given[2];
    EXPECT_EQ(SioDeviceAssignNew(1, given, 2), 0);
    EXPECT_EQ(folders.readMap(), "") << "no file written";
    EXPECT_EQ(SioDeviceAssignNew(0, given, 2), SIO_E_RANGE);
    EXPECT_EQ(SioDeviceAssignNew(257, given, 2), SIO_E_RANGE);
}

}  // namespace
