#include "dashboard/link/port_error.h"

#include <cerrno>
#include <cstring>

#include "tolk.h"

namespace kvr {

std::string portOpenHint(int osError) {
    switch (osError) {
        case EACCES:
        case EPERM:
            return "join the dialout group (sudo usermod -aG dialout $USER, then log in again), "
                   "or install the udev rule from the README";
        case EBUSY:
            return "another program has the port open";
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "is it plugged in? kvrtool ports --devices lists the devices present";
        default:
            return std::string();
    }
}

std::string portOpenMessage(int port, const std::string& device, int result, int osError) {
    std::string text = "cannot open COM" + std::to_string(port + 1) + " (" +
                       (device.empty() ? std::string("no device") : device) + "): ";
    if (result == SIO_E_OS_ERROR && osError != 0) {
        char buf[256];
        text += strerror_r(osError, buf, sizeof buf);
    } else if (result == SIO_E_IO) {
        text += "the device does not answer";
    } else if (result == SIO_E_RANGE) {
        text += "no such port number";
    } else {
        text += "error " + std::to_string(result);
    }
    const std::string hint = result == SIO_E_OS_ERROR ? portOpenHint(osError) : std::string();
    return hint.empty() ? text : text + ": " + hint;
}

std::string portOpenError(int port, int result) {
    char device[512] = "";
    if (SioPortDevice(port, device, sizeof device) < 0) device[0] = '\0';
    const int osError = SioWinError(nullptr, -1);
    return portOpenMessage(port, device, result, osError);
}

}  // namespace kvr
