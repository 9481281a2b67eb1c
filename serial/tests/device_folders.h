// A machine of our own for port-name tests: a device folder, a sysfs folder
// and a port map file under a temporary directory, which the library is
// pointed at through its environment variables. Devices are links to real
// pseudo-terminals, so ports that name them really open.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "pty_pair.h"

class DeviceFolders {
public:
    DeviceFolders() {
        char templ[] = "/tmp/tolk-names-XXXXXX";
        if (::mkdtemp(templ) == nullptr) throw std::runtime_error("mkdtemp");
        root_ = templ;
        ::mkdir(dev().c_str(), 0755);
        ::mkdir(sys().c_str(), 0755);
        ::setenv("TOLK_DEVICE_ROOT", dev().c_str(), 1);
        ::setenv("TOLK_SYSFS_ROOT", sys().c_str(), 1);
        ::setenv("TOLK_PORTS_FILE", mapFile().c_str(), 1);
    }
    ~DeviceFolders() {
        ::unsetenv("TOLK_DEVICE_ROOT");
        ::unsetenv("TOLK_SYSFS_ROOT");
        ::unsetenv("TOLK_PORTS_FILE");
        const std::string cmd = "rm -rf '" + root_ + "'";
        if (std::system(cmd.c_str()) != 0) {
        }
    }
    DeviceFolders(const DeviceFolders&) = delete;
    DeviceFolders& operator=(const DeviceFolders&) = delete;

    std::string root() const { return root_; }
    std::string dev() const { return root_ + "/dev"; }
    std::string sys() const { return root_ + "/sys"; }
    std::string mapFile() const { return root_ + "/config/tolk/ports.conf"; }

    // A node such as "ttyACM0" that leads to a new pseudo-terminal (kept
    // open by this object); byId, when given, is its /dev/serial/by-id name.
    // The pty is named for no port (port -1 would be TOLK_COM0).
    const PtyPair& addDevice(const std::string& node, const std::string& byId = "") {
        ptys_.push_back(std::make_unique<PtyPair>(-1));
        link(ptys_.back()->path(), dev() + "/" + node);
        if (!byId.empty()) {
            makeFolders(dev() + "/serial/by-id");
            link("../../" + node, dev() + "/serial/by-id/" + byId);
        }
        return *ptys_.back();
    }
    // The sysfs entries of a USB tty: the interface under the USB device
    // with its ids and texts.
    void addUsbInfo(const std::string& node, const std::string& vid, const std::string& pid,
                    const std::string& maker, const std::string& product) {
        const std::string usb = sys() + "/devices/usb1/1-" + node;
        makeFolders(usb + "/1-1:1.0");
        write(usb + "/idVendor", vid + "\n");
        write(usb + "/idProduct", pid + "\n");
        write(usb + "/manufacturer", maker + "\n");
        write(usb + "/product", product + "\n");
        makeFolders(sys() + "/class/tty/" + node);
        link(usb + "/1-1:1.0", sys() + "/class/tty/" + node + "/device");
    }
    // A ttyS slot's port type as the serial driver reports it (0: no UART).
    void setUartType(const std::string& node, int type) {
        makeFolders(sys() + "/class/tty/" + node);
        write(sys() + "/class/tty/" + node + "/type", std::to_string(type) + "\n");
    }
    // Moves a node to another name (an adapter plugged in again), keeping its
    // by-id link pointing at it.
    void renameDevice(const std::string& from, const std::string& to, const std::string& byId) {
        if (::rename((dev() + "/" + from).c_str(), (dev() + "/" + to).c_str()) != 0)
            throw std::runtime_error("rename");
        const std::string link = dev() + "/serial/by-id/" + byId;
        ::unlink(link.c_str());
        this->link("../../" + to, link);
    }

    void writeMap(const std::string& text) {
        makeFolders(root_ + "/config/tolk");
        write(mapFile(), text);
    }
    std::string readMap() const {
        std::ifstream in(mapFile());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

private:
    static void link(const std::string& target, const std::string& path) {
        if (::symlink(target.c_str(), path.c_str()) != 0) throw std::runtime_error("symlink " + path);
    }
    static void makeFolders(const std::string& path) {
        for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
            ::mkdir(path.substr(0, slash).c_str(), 0755);
        ::mkdir(path.c_str(), 0755);
    }

    std::string root_;
    std::vector<std::unique_ptr<PtyPair>> ptys_;
};
