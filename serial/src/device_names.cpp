#include "device_names.h"

#include <cstdio>
#include <cstdlib>

namespace tolk {

bool devicePath(int port, char* buf, size_t size) {
    char var[32];
    std::snprintf(var, sizeof var, "TOLK_COM%d", port + 1);
    if (const char* named = std::getenv(var); named != nullptr && *named != '\0') {
        return std::snprintf(buf, size, "%s", named) < static_cast<int>(size);
    }
    static const char* const kFamilies[] = {"/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM"};
    const int family = port / 32;
    if (port < 0 || family >= 3) return false;
    std::snprintf(buf, size, "%s%d", kFamilies[family], port % 32);
    return true;
}

}  // namespace tolk
