// The serial devices present on the machine, what they are, and which port
// stands for each.
#pragma once

#include <string>
#include <vector>

namespace tolk {

struct Device {
    std::string path;     // the node under the device folder, e.g. /dev/ttyUSB0
    std::string byId;     // its /dev/serial/by-id name, or empty
    std::string usbId;    // "vvvv:pppp", or empty
    std::string vendor;   // manufacturer text, or empty
    std::string product;  // product text, or empty
    int port = -1;        // lowest port (0-based) that opens it; -1 none
};

// ttyS nodes with a UART, ttyUSB and ttyACM nodes, by family and number.
std::vector<Device> listDevices();

// The device a path ends at (symlinks followed), for comparing names; the
// path itself when it does not resolve.
std::string resolvedPath(const std::string& path);

// Gives devices that have no dependable port below `ports` one in the user's
// map file (see SioDeviceAssignNew). The devices given a port, or -1 with
// errno when the file could not be written.
int assignNewDevices(int ports, std::vector<Device>* assigned);

}  // namespace tolk
