// SioPortDevice, SioPortMapFile, SioPortAssign, SioDeviceList,
// SioDeviceAssignNew: which device a port stands for, and the user's port map.
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "device_list.h"
#include "device_names.h"
#include "port_map.h"
#include "port_table.h"
#include "tolk.h"

using namespace tolk;

namespace {

template <size_t N>
void copyField(char (&field)[N], const std::string& text) {
    std::snprintf(field, N, "%s", text.c_str());
}

void fill(SioDeviceInfo* info, const Device& d) {
    copyField(info->path, d.path);
    copyField(info->byId, d.byId);
    copyField(info->usbId, d.usbId);
    copyField(info->vendor, d.vendor);
    copyField(info->product, d.product);
    info->port = d.port;
}

int copyOut(const std::string& text, char* buffer, int size) {
    std::snprintf(buffer, static_cast<size_t>(size), "%s", text.c_str());
    return static_cast<int>(text.size());
}

}  // namespace

extern "C" {

TOLK_API int SioPortDevice(int port, char* buffer, int size) {
    if (checkRange(port) != 0) return SIO_E_RANGE;
    if (buffer == nullptr || size < 1) return SIO_E_BAD_ARG;
    char path[1024];
    const NameSource source = deviceSource(port, path, sizeof path);
    copyOut(source == NameSource::None ? std::string() : std::string(path), buffer, size);
    return static_cast<int>(source);
}

TOLK_API int SioPortMapFile(char* buffer, int size) {
    if (buffer == nullptr || size < 1) return SIO_E_BAD_ARG;
    return copyOut(userMapPath(), buffer, size);
}

TOLK_API int SioPortAssign(int port, const char* device) {
    if (checkRange(port) != 0) return SIO_E_RANGE;
    std::string name = device != nullptr ? device : "";
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return SIO_E_BAD_ARG;
    if (!name.empty()) {
        // An adapter's by-id name stays the same when it is plugged in again;
        // its ttyUSB or ttyACM number need not.
        const std::string real = resolvedPath(name[0] == '/' ? name : deviceRoot() + "/" + name);
        for (const Device& d : listDevices())
            if (!d.byId.empty() && resolvedPath(d.path) == real) name = d.byId;
    }
    if (mapWrite(port + 1, name, std::string(), true) != 0) return osFailure();
    return 1;
}

TOLK_API int SioDeviceList(SioDeviceInfo* list, int max) {
    const std::vector<Device> devices = listDevices();
    for (int i = 0; i < max && list != nullptr && i < static_cast<int>(devices.size()); ++i)
        fill(&list[i], devices[i]);
    return static_cast<int>(devices.size());
}

TOLK_API int SioDeviceAssignNew(int ports, SioDeviceInfo* assigned, int max) {
    if (ports < 1 || ports > kPortCount) return SIO_E_RANGE;
    std::vector<Device> given;
    const int result = assignNewDevices(ports, &given);
    for (int i = 0; i < max && assigned != nullptr && i < static_cast<int>(given.size()); ++i)
        fill(&assigned[i], given[i]);
    if (result != 0) return osFailure();
    return static_cast<int>(given.size());
}

}  // extern "C"
