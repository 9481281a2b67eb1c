// The serial port a command is given with --port: COMn as the dashboard's port list names it, or
// the path of a device (/dev/ttyUSB0, /dev/serial/by-id/..., a pseudo-terminal).
#pragma once

#include <string>

namespace kvrtool {

constexpr int kHighestPort = 256;  // COM1..COM256, the library's ports 0..255

// The 0-based port of "COMn" (n 1..256, no leading zeros); -1 for anything else.
int portFromComName(const std::string& text);

struct PortArgument {
    int port = -1;     // the library's port number, 0-based
    std::string name;  // what messages call it: "COM5", or the path as given
    bool isPath = false;
};

// "COMn" (n 1..256, no leading zeros) or an absolute path into `out`. A path becomes the COM port
// that already stands for that device when one does (by the environment, the port map or the
// table), so messages name the number the dashboard shows; otherwise COM256, pointed at the path
// through TOLK_COM256 in this process's environment. False for anything else.
bool parsePortArgument(const std::string& text, PortArgument& out);

// "cannot open NAME: reason[: hint]" for an open of `argument` that failed with `result`.
std::string portArgumentOpenError(const PortArgument& argument, int result);

}  // namespace kvrtool
