// kvrtool ports against devices of the test's own: the device list, the
// scan giving an adapter a port and naming it, --assign writing the map, and
// the errors of each.
#include <gtest/gtest.h>

#include <fstream>

#include "serial/tests/device_folders.h"
#include "tool_process.h"

namespace {

class KvrtoolPorts : public ::testing::Test {
protected:
    void SetUp() override {
        for (int com = 1; com <= 40; ++com)
            ::unsetenv(("TOLK_COM" + std::to_string(com)).c_str());
        pty = &folders.addDevice("ttyACM0", "usb-Acme_Widget_42-if00");
        folders.addUsbInfo("ttyACM0", "2341", "0043", "Acme", "Widget Uno");
    }
    ToolResult run(const std::vector<std::string>& args) { return runTool(args, folders.root()); }
    std::string byId() const { return folders.dev() + "/serial/by-id/usb-Acme_Widget_42-if00"; }

    DeviceFolders folders;
    const PtyPair* pty = nullptr;
};

TEST_F(KvrtoolPorts, DevicesListsNameIdsAndPort) {
    const ToolResult r = run({"ports", "--devices"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, folders.dev() + "/ttyACM0\tCOM65\t" + byId() + "\t2341:0043 Acme Widget Uno\n");
}

TEST_F(KvrtoolPorts, ScanGivesTheAdapterAPortAndNamesIt) {
    const ToolResult r = run({"ports"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string resolved = pty->path();
    const std::string expectedTail =
        "There are 1 Com ports available\n"
        "COM1 is now " +
        byId() + " (port map " + folders.mapFile() +
        ")\n"
        "COM1: " +
        byId() + " (" + resolved + ")\n";
    ASSERT_GE(r.out.size(), expectedTail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - expectedTail.size()), expectedTail);
    EXPECT_EQ(r.out.rfind("COM PORT 1 AVAILABLE 1\n", 0), 0u);
    EXPECT_NE(folders.readMap().find("\nCOM1=" + byId() + "\n"), std::string::npos);

    EXPECT_EQ(run({"ports", "--devices"}).out.find("\tCOM1\t"), folders.dev().size() + 8);
}

TEST_F(KvrtoolPorts, AssignWritesTheMapFile) {
    const ToolResult r = run({"ports", "--assign", "COM5", folders.dev() + "/ttyACM0"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "COM5=" + byId() + " in " + folders.mapFile() + "\n");
    EXPECT_NE(folders.readMap().find("\nCOM5=" + byId() + "\n"), std::string::npos);
}

TEST_F(KvrtoolPorts, AssignRefusesADeviceThatIsNotThereUnlessForced) {
    const std::string before = folders.readMap();
    for (const std::string& device : {std::string("/dev/kvr-test-absent"), std::string("kvr-test-absent")}) {
        const ToolResult absent = run({"ports", "--assign", "COM6", device});
        EXPECT_EQ(absent.status, 1);
        EXPECT_EQ(absent.out, "");
        const std::string path = device[0] == '/' ? device : folders.dev() + "/" + device;
        EXPECT_EQ(absent.err,
                  "kvrtool ports: " + path +
                      " is not present: No such file or directory; nothing written (--force writes COM6=" +
                      device + " all the same)\n");
    }
    const std::string plain = folders.root() + "/plain-file";
    std::ofstream(plain) << "not a device\n";
    const ToolResult notDevice = run({"ports", "--assign", "COM6", plain});
    EXPECT_EQ(notDevice.status, 1);
    EXPECT_NE(notDevice.err.find("is not a serial device"), std::string::npos) << notDevice.err;
    EXPECT_EQ(folders.readMap(), before) << "nothing written";

    const ToolResult forced = run({"ports", "--assign", "COM6", "/dev/kvr-test-absent", "--force"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(forced.err, "");
    EXPECT_NE(folders.readMap().find("\nCOM6=/dev/kvr-test-absent\n"), std::string::npos);
    EXPECT_EQ(run({"ports", "--force"}).status, 2) << "--force goes with --assign";
}

TEST_F(KvrtoolPorts, AssignSaysWhenTheEnvironmentOverridesTheMap) {
    ::setenv("TOLK_COM5", pty->path().c_str(), 1);
    const ToolResult r = run({"ports", "--assign", "COM5", folders.dev() + "/ttyACM0"});
    ::unsetenv("TOLK_COM5");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "kvrtool ports: note: TOLK_COM5 is set and names " + pty->path() +
                         "; it comes before the port map as long as it is set\n");
}

TEST_F(KvrtoolPorts, BadUsageAndUnwritableMap) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"ports", "--assign", "COM0", "/dev/x"},
          {"ports", "--assign", "COM257", "/dev/x"},
          {"ports", "--assign", "com5", "/dev/x"},
          {"ports", "--assign", "COM5"},
          {"ports", "--bogus"},
          {"ports", "--assign", "COM5", ""}}) {
        SCOPED_TRACE(args.back());
        const ToolResult r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("usage: kvrtool ports"), std::string::npos) << r.err;
    }
    ::setenv("TOLK_PORTS_FILE", (folders.root() + "/tool.out/ports.conf").c_str(), 1);  // under a file
    const ToolResult r = run({"ports", "--assign", "COM5", "/dev/x", "--force"});
    ::setenv("TOLK_PORTS_FILE", folders.mapFile().c_str(), 1);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kvrtool ports: cannot write the port map " + folders.root() +
                         "/tool.out/ports.conf: Not a directory\n");
}

}  // namespace
