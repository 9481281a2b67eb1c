#include "dashboard/link/serial_port.h"

#include <string>
#include <vector>

#include "tolk.h"

namespace kvr {

int TolkSerialPort::reset(int port, int rx, int tx) { return SioReset(port, rx, tx); }
int TolkSerialPort::baud(int port, unsigned rate) { return SioBaud(port, rate); }
int TolkSerialPort::done(int port) { return SioDone(port); }
int TolkSerialPort::rxClear(int port) { return SioRxClear(port); }
int TolkSerialPort::txClear(int port) { return SioTxClear(port); }
int TolkSerialPort::rxQue(int port) { return SioRxQue(port); }
int TolkSerialPort::getc(int port) { return SioGetc(port); }
int TolkSerialPort::putc(int port, unsigned char value) { return SioPutc(port, value); }
int TolkSerialPort::puts(int port, const char* data, int count) { return SioPuts(port, data, count); }

std::string TolkSerialPort::deviceName(int port) {
    char path[512];
    return SioPortDevice(port, path, sizeof path) > 0 ? std::string(path) : std::string();
}

int TolkSerialPort::lastOsError() { return SioWinError(nullptr, -1); }

std::vector<std::string> TolkSerialPort::assignNewDevices(int ports) {
    char file[512] = "";
    SioPortMapFile(file, sizeof file);
    SioDeviceInfo given[64];
    const int n = SioDeviceAssignNew(ports, given, 64);
    std::vector<std::string> lines;
    for (int i = 0; i < n && i < 64; ++i) {
        const std::string name = given[i].byId[0] != '\0' ? given[i].byId : given[i].path;
        lines.push_back("COM" + std::to_string(given[i].port + 1) + " is now " + name + " (port map " + file + ")");
    }
    if (n < 0) {
        char reason[256];
        SioWinError(reason, sizeof reason);
        lines.push_back(std::string("cannot save new devices in the port map ") + file + ": " + reason);
    }
    return lines;
}

}  // namespace kvr
