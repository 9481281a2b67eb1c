// kvrtool ports: the dashboard's port scan, COM1..COM40, with its lines; the
// serial devices present (--devices); a port's device in the port map
// (--assign COMn DEVICE).
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands.h"
#include "dashboard/dashboard_core.h"
#include "tolk.h"

namespace kvrtool {
namespace {

// "COMn" with n 1..256, written without leading zeros; -1 for anything else.
int portFromName(const std::string& name) {
    if (name.size() < 4 || name.size() > 6 || name.compare(0, 3, "COM") != 0 || name[3] == '0') return -1;
    int n = 0;
    for (size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n <= 256 ? n - 1 : -1;
}

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

int assign(const std::string& comName, const std::string& device) {
    const int port = portFromName(comName);
    if (port < 0) return usageError("ports", "'" + comName + "' is not a port name COM1..COM256");
    if (device.empty()) return usageError("ports", "no device given");
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
        std::fprintf(stderr, "kvrtool ports: note: TOLK_%s is set and names %s while it is\n",
                     comName.c_str(), written);
    struct stat st {};
    const std::string check = source == 2 ? std::string(written) : device;
    if (::stat(check.c_str(), &st) != 0)
        std::fprintf(stderr, "kvrtool ports: note: %s is not present now\n", check.c_str());
    return 0;
}

}  // namespace

int runPorts(const Args& args) {
    if (args.size() == 1 && args[0] == "--devices") return listDevices();
    if (!args.empty() && args[0] == "--assign") {
        if (args.size() != 3) return usageError("ports", "--assign takes COMn and a device");
        return assign(args[1], args[2]);
    }
    if (!args.empty()) return usageError("ports", "unknown argument '" + args[0] + "'");
    kvr::TolkSerialPort port;
    kvr::DashboardCore core(port);
    core.session.scanPorts();
    for (const auto& line : core.messages.lines)
        std::printf("%s\n", line.c_str());
    return 0;
}

}  // namespace kvrtool
