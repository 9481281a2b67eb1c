#include "port_argument.h"

#include <cstdlib>

#include "dashboard/link/port_error.h"
#include "tolk.h"

namespace kvrtool {
namespace {

std::string resolved(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return {};
    std::string text = real;
    std::free(real);
    return text;
}

int portStandingFor(const std::string& path) {
    const std::string device = resolved(path);
    if (device.empty()) return -1;
    for (int port = 0; port < kHighestPort; ++port) {
        char name[1024] = "";
        if (SioPortDevice(port, name, sizeof name) > 0 && resolved(name) == device) return port;
    }
    return -1;
}

}  // namespace

int portFromComName(const std::string& text) {
    if (text.size() < 4 || text.size() > 6 || text.compare(0, 3, "COM") != 0 || text[3] == '0') return -1;
    int n = 0;
    for (std::size_t i = 3; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        n = n * 10 + (text[i] - '0');
    }
    return n >= 1 && n <= kHighestPort ? n - 1 : -1;
}

bool parsePortArgument(const std::string& text, PortArgument& out) {
    out = PortArgument{};
    if (const int port = portFromComName(text); port >= 0) {
        out.port = port;
        out.name = text;
        return true;
    }
    if (text.size() < 2 || text[0] != '/') return false;
    out.name = text;
    out.isPath = true;
    out.port = portStandingFor(text);
    if (out.port < 0) {
        out.port = kHighestPort - 1;
        ::setenv(("TOLK_COM" + std::to_string(kHighestPort)).c_str(), text.c_str(), 1);
    }
    return true;
}

std::string portArgumentOpenError(const PortArgument& argument, int result) {
    const std::string message = kvr::portOpenError(argument.port, result);
    if (!argument.isPath) return message;
    // "cannot open COMn (DEVICE): reason": the path the user gave says more than a number
    // chosen for it.
    const std::size_t reason = message.find("): ");
    return reason == std::string::npos ? message
                                       : "cannot open " + argument.name + message.substr(reason + 1);
}

}  // namespace kvrtool
