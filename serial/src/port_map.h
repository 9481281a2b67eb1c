// The port map file: "COMn=DEVICE" lines the user can read and edit, which
// give a port a device ahead of the built-in table. Also where the library
// looks for devices (/dev, /sys), which tests point at folders of their own.
#pragma once

#include <cstddef>
#include <string>

namespace tolk {

// The device folder: $TOLK_DEVICE_ROOT, or /dev.
std::string deviceRoot();
// The sysfs folder: $TOLK_SYSFS_ROOT, or /sys.
std::string sysfsRoot();

// The user's map file: $TOLK_PORTS_FILE when set; otherwise
// $XDG_CONFIG_HOME/tolk/ports.conf, or ~/.config/tolk/ports.conf. Empty when
// none of these can be formed (no HOME).
std::string userMapPath();
// The system-wide map file, /etc/tolk/ports.conf; empty while
// $TOLK_PORTS_FILE is set, so one file says everything.
std::string systemMapPath();

// One line of a map file. True for "COMn=DEVICE" (spaces around the parts
// allowed, "com" in any case, n 1..256); comments (#) and blank lines, and
// every malformed line, give false. A device not starting with '/' is a name
// under the device folder ("ttyACM0").
bool parseMapLine(const char* line, int* com, char* device, size_t size);

// The device the map files give COMn (1-based): the user's file first, then
// the system file; within a file the last line for n counts. False when
// neither names it (or the name does not fit).
bool mapLookup(int com, char* device, size_t size);

// Sets COMn to device in the user's file (device empty: removes n), keeping
// every other line and comment. The file is written anew and renamed over the
// old one, so a crash never leaves half a file; its folder is created when
// missing. note, when not empty, goes on a comment line above the entry.
// exclusive: other lines naming the same device go, so it has one port. A
// removed entry takes the scan's note above it along. 0, or -1 with errno.
int mapWrite(int com, const std::string& device, const std::string& note, bool exclusive = false);

}  // namespace tolk
