#include "device_list.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "device_names.h"
#include "port_map.h"
#include "port_table.h"

namespace tolk {
namespace {

const char* const kFamilies[] = {"ttyS", "ttyUSB", "ttyACM"};

// The family index and number of a node name such as "ttyUSB3"; false for
// anything else.
bool nodeName(const char* name, int* family, int* number) {
    // Longest prefix first: "ttyS" is not to match "ttyUSB".
    for (int f : {2, 1, 0}) {
        const size_t len = std::strlen(kFamilies[f]);
        if (std::strncmp(name, kFamilies[f], len) != 0) continue;
        const char* digits = name + len;
        if (*digits == '\0' || std::strlen(digits) > 6) return false;
        for (const char* p = digits; *p; ++p)
            if (*p < '0' || *p > '9') return false;
        *family = f;
        *number = std::atoi(digits);
        return true;
    }
    return false;
}

std::string readLine(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "re")) {
        char buf[256];
        if (std::fgets(buf, sizeof buf, f) != nullptr) text = buf;
        std::fclose(f);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// A ttyS node exists for every UART slot the kernel reserves; the driver
// reports port type 0 for a slot with no UART behind it.
bool hasUart(const std::string& name) {
    const std::string type = readLine(sysfsRoot() + "/class/tty/" + name + "/type");
    return type.empty() || type != "0";
}

// USB ids and texts from the USB device the tty hangs off (the tty's device is
// an interface, or a port under one; the USB device is a folder or two up).
void readUsbInfo(const std::string& name, Device* d) {
    std::string dir = resolvedPath(sysfsRoot() + "/class/tty/" + name + "/device");
    for (int up = 0; up < 4 && dir.size() > 1; ++up) {
        if (isFile(dir + "/idVendor")) {
            const std::string vendorId = readLine(dir + "/idVendor");
            const std::string productId = readLine(dir + "/idProduct");
            if (!vendorId.empty()) d->usbId = vendorId + ":" + productId;
            d->vendor = readLine(dir + "/manufacturer");
            d->product = readLine(dir + "/product");
            return;
        }
        dir = dir.substr(0, dir.rfind('/'));
    }
}

// The by-id links, as (resolved target, link path).
std::vector<std::pair<std::string, std::string>> byIdLinks() {
    std::vector<std::pair<std::string, std::string>> links;
    const std::string folder = deviceRoot() + "/serial/by-id";
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (struct dirent* e = ::readdir(dir)) {
            if (e->d_name[0] == '.') continue;
            const std::string link = folder + "/" + e->d_name;
            links.emplace_back(resolvedPath(link), link);
        }
        ::closedir(dir);
    }
    std::sort(links.begin(), links.end());
    return links;
}

// Each port's device, resolved, for finding the port that stands for a node.
std::vector<std::string> resolvedPorts() {
    std::vector<std::string> ports(kPortCount);
    char path[1024];
    for (int p = 0; p < kPortCount; ++p)
        if (devicePath(p, path, sizeof path)) ports[p] = resolvedPath(path);
    return ports;
}

std::string today() {
    char text[16] = "";
    const time_t now = ::time(nullptr);
    struct tm local {};
    if (::localtime_r(&now, &local) != nullptr) std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

std::string describe(const Device& d) {
    std::string what;
    for (const std::string* part : {&d.vendor, &d.product}) {
        if (part->empty()) continue;
        if (!what.empty()) what += " ";
        what += *part;
    }
    if (!d.usbId.empty()) what += (what.empty() ? "" : " ") + std::string("(") + d.usbId + ")";
    return what.empty() ? d.path : what + ", " + d.path;
}

}  // namespace

std::string resolvedPath(const std::string& path) {
    char real[PATH_MAX];
    return ::realpath(path.c_str(), real) != nullptr ? std::string(real) : path;
}

std::vector<Device> listDevices() {
    struct Found {
        int family, number;
        std::string name;
    };
    std::vector<Found> found;
    const std::string root = deviceRoot();
    if (DIR* dir = ::opendir(root.c_str())) {
        while (struct dirent* e = ::readdir(dir)) {
            int family = 0, number = 0;
            if (!nodeName(e->d_name, &family, &number)) continue;
            if (family == 0 && !hasUart(e->d_name)) continue;
            found.push_back({family, number, e->d_name});
        }
        ::closedir(dir);
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.family != b.family ? a.family < b.family : a.number < b.number;
    });

    const auto links = byIdLinks();
    const auto ports = resolvedPorts();
    std::vector<Device> devices;
    for (const Found& f : found) {
        Device d;
        d.path = root + "/" + f.name;
        const std::string real = resolvedPath(d.path);
        for (const auto& link : links)
            if (link.first == real) {
                d.byId = link.second;
                break;
            }
        readUsbInfo(f.name, &d);
        for (int p = 0; p < kPortCount && d.port < 0; ++p)
            if (ports[p] == real) d.port = p;
        devices.push_back(d);
    }
    return devices;
}

int assignNewDevices(int ports, std::vector<Device>* assigned) {
    std::vector<Device> devices = listDevices();
    char path[1024];

    // A port is taken when the environment or a map file names it, or when the
    // table's device for it is present.
    std::vector<bool> taken(static_cast<size_t>(ports), false);
    std::vector<std::string> present;
    for (const Device& d : devices)
        present.push_back(resolvedPath(d.path));
    for (int p = 0; p < ports; ++p) {
        const NameSource source = deviceSource(p, path, sizeof path);
        if (source == NameSource::Environment || source == NameSource::MapFile) {
            taken[p] = true;
        } else if (source == NameSource::Table) {
            taken[p] = std::find(present.begin(), present.end(), resolvedPath(path)) != present.end();
        }
    }

    for (Device& d : devices) {
        NameSource source = NameSource::None;
        if (d.port >= 0) source = deviceSource(d.port, path, sizeof path);
        const bool reachable = d.port >= 0 && d.port < ports;
        if (reachable && source != NameSource::Table) continue;  // named on purpose
        if (reachable && d.byId.empty()) continue;               // the table is stable for it
        int chosen = -1;
        if (reachable && source == NameSource::Table) {
            chosen = d.port;  // keep the number it has, now tied to the adapter
        } else {
            for (int p = 0; p < ports && chosen < 0; ++p)
                if (!taken[p]) chosen = p;
        }
        if (chosen < 0) continue;
        const std::string name = d.byId.empty() ? d.path : d.byId;
        const std::string note = "COM" + std::to_string(chosen + 1) + ": " + describe(d) +
                                 ", given a port by the port scan on " + today();
        if (mapWrite(chosen + 1, name, note) != 0) return -1;
        taken[chosen] = true;
        d.port = chosen;
        assigned->push_back(d);
    }
    return 0;
}

}  // namespace tolk
