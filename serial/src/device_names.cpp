#include "device_names.h"

#include <cstdio>
#include <cstdlib>

#include "port_map.h"

namespace tolk {

bool tableDevicePath(int port, char* buf, size_t size) {
    static const char* const kFamilies[] = {"ttyS", "ttyUSB", "ttyACM"};
    const int family = port / 32;
    if (port < 0 || family >= 3) return false;
    const int n = std::snprintf(buf, size, "%s/%s%d", deviceRoot().c_str(), kFamilies[family], port % 32);
    return n >= 0 && n < static_cast<int>(size);
}

NameSource deviceSource(int port, char* buf, size_t size) {
    if (port < 0) return NameSource::None;
    char var[32];
    std::snprintf(var, sizeof var, "TOLK_COM%d", port + 1);
    if (const char* named = std::getenv(var); named != nullptr && *named != '\0') {
        return std::snprintf(buf, size, "%s", named) < static_cast<int>(size) ? NameSource::Environment
                                                                              : NameSource::None;
    }
    if (mapLookup(port + 1, buf, size)) return NameSource::MapFile;
    return tableDevicePath(port, buf, size) ? NameSource::Table : NameSource::None;
}

bool devicePath(int port, char* buf, size_t size) { return deviceSource(port, buf, size) != NameSource::None; }

}  // namespace tolk
