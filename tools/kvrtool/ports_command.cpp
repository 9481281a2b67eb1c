// kvrtool ports: the dashboard's port scan, COM1..COM40, with its lines; the
// serial devices present (--devices); a port's device in the port map
// (--assign COMn DEVICE), refusing a device that is not there unless --force.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "commands.h"
#include "dashboard/dashboard_core.h"
#include "port_argument.h"
#include "tolk.h"

namespace kvrtool {
namespace {

std::string orDash(const std::string& text) { return text.empty() ? "-" : text; }

int listDevices() {
    const int count = SioDeviceList(nullptr, 0);
    std::vector<SioDeviceInfo> devices(static_cast<size_t>(count > 0 ? count : 0));
    const int got = SioDeviceList(devices.data(), static_cast<int>(devices.size()));
    devices.resize(static_cast<size_t>(got < count ? got : count));
    if (devices.empty()) std::fprintf(stderr, "kvrtool ports: no serial devices found\n");
    for (const SioDeviceInfo& d : devices) {
        std::string what = d.usbId;
        for (const char* part : {d.vendor, d.product})
            if (*part != '\0') what += (what.empty() ? "" : " ") + std::string(part);
        const std::string com = d.port >= 0 ? "COM" + std::to_string(d.port + 1) : std::string();
        std::printf("%s\t%s\t%s\t%s\n", d.path, orDash(com).c_str(), orDash(d.byId).c_str(),
                    orDash(what).c_str());
    }
    return 0;
}

// Where DEVICE is: a path, or a name under the device folder, as the port map reads it.
std::string devicePath(const std::string& device) {
    if (device[0] == '/') return device;
    const char* root = std::getenv("TOLK_DEVICE_ROOT");
    return std::string(root != nullptr && *root != '\0' ? root : "/dev") + "/" + device;
}

// Why DEVICE cannot stand for a port now; empty when it is a character device that is present.
std::string absentDeviceReason(const std::string& device) {
    const std::string path = devicePath(device);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return path + " is not present: " + std::strerror(errno);
    if (!S_ISCHR(st.st_mode)) return path + " is not a serial device (not a character device)";
    return {};
}

int assign(const std::string& comName, const std::string& device, bool force) {
    const int port = portFromComName(comName);
    if (port < 0) return usageError("ports", "'" + comName + "' is not a port name COM1..COM256");
    if (device.empty()) return usageError("ports", "no device given");
    if (!force) {
        if (const std::string why = absentDeviceReason(device); !why.empty()) {
            std::fprintf(stderr, "kvrtool ports: %s; nothing written (--force writes %s=%s all the same)\n",
                         why.c_str(), comName.c_str(), device.c_str());
            return 1;
        }
    }
    char file[512] = "";
    SioPortMapFile(file, sizeof file);
    const int r = SioPortAssign(port, device.c_str());
    if (r == SIO_E_BAD_ARG) return usageError("ports", "the device name has control characters");
    if (r < 0) {
        char reason[256];
        SioWinError(reason, sizeof reason);
        std::fprintf(stderr, "kvrtool ports: cannot write the port map %s: %s\n", file, reason);
        return 1;
    }
    char written[512] = "";
    const int source = SioPortDevice(port, written, sizeof written);
    std::printf("%s\n", source == 2 ? (comName + "=" + written + " in " + file).c_str()
                                    : (comName + "=" + device + " in " + file).c_str());
    if (source == 1)
        std::fprintf(
            stderr,
            "kvrtool ports: note: TOLK_%s is set and names %s; it comes before the port map as long as "
            "it is set\n",
            comName.c_str(), written);
    return 0;
}

}  // namespace

int runPorts(const Args& args) {
    if (args.size() == 1 && args[0] == "--devices") return listDevices();
    // --force may stand anywhere around --assign COMn DEVICE.
    Args rest;
    std::copy_if(args.begin(), args.end(), std::back_inserter(rest),
                 [](const std::string& a) { return a != "--force"; });
    const bool force = rest.size() != args.size();
    if (!rest.empty() && rest[0] == "--assign") {
        if (rest.size() != 3) return usageError("ports", "--assign takes COMn and a device");
        return assign(rest[1], rest[2], force);
    }
    if (force) return usageError("ports", "--force goes with --assign");
    if (!args.empty()) return usageError("ports", "unknown argument '" + args[0] + "'");
    kvr::TolkSerialPort port;
    kvr::DashboardCore core(port);
    core.session.scanPorts();
    for (const auto& line : core.messages.lines)
        std::printf("%s\n", line.c_str());
    return 0;
}

}  // namespace kvrtool
