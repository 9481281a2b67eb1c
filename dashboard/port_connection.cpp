// Finding the ports that can be opened, choosing, opening and closing the
// ECU's port.
#include <limits.h>
#include <stdlib.h>

#include <cerrno>
#include <string>
#include <vector>

#include "dashboard/dashboard_core.h"
#include "dashboard/port_error.h"
#include "tolk.h"

namespace kvr {

constexpr int kScannedPorts = 40;  // COM1..COM40
constexpr int kQueueSize = 8192;

namespace {

// "COM5: /dev/serial/by-id/usb-... (/dev/ttyUSB0)": the name the port has
// and, when that is a link, the device it leads to.
std::string deviceLine(int port, const std::string& device) {
    std::string line = "COM" + std::to_string(port + 1) + ": " + device;
    char real[PATH_MAX];
    if (::realpath(device.c_str(), real) != nullptr && device != real) line += std::string(" (") + real + ")";
    return line;
}

}  // namespace

int portNumberFromName(const std::string& name) {
    for (int n = 1; n <= kScannedPorts; ++n) {
        if (name == "COM" + std::to_string(n)) return n - 1;
    }
    return -1;
}

void DashboardCore::takePortChoice() {
    const auto& items = out.ComboBox1Items;
    const int index = out.ComboBox1ItemIndex;
    PortName = (index >= 0 && index < static_cast<int>(items.size())) ? items[index] : std::string();
    if (int n = portNumberFromName(PortName); n >= 0) PortNumber = n;
}

void DashboardCore::SCANCOMPORTS() {
    out.ComboBox1Items.clear();
    out.ComboBox1ItemIndex = -1;
    out.Timer1Enabled = false;
    // Devices the list could not reach get a port in it first, so they are
    // scanned with the rest.
    const std::vector<std::string> assigned = port_.assignNewDevices(kScannedPorts);
    std::vector<std::string> devices;
    for (int p = 0; p < kScannedPorts; ++p) {
        const int r = port_.reset(p, kQueueSize, kQueueSize);
        const std::string com = std::to_string(p + 1);
        if (r >= 0) {
            port_.rxClear(p);
            memo("COM PORT " + com + " AVAILABLE " + std::to_string(r));
            out.ComboBox1Items.push_back("COM" + com);
            if (const std::string device = port_.deviceName(p); !device.empty())
                devices.push_back(deviceLine(p, device));
        } else {
            memo("COM PORT " + com + " NOT AVAILABLE " + std::to_string(r));
            // A device that is there but refused is worth a line; the many
            // missing ones are not.
            const int err = port_.lastOsError();
            if (r == SIO_E_OS_ERROR && (err == EACCES || err == EPERM || err == EBUSY))
                devices.push_back(portOpenMessage(p, port_.deviceName(p), r, err));
        }
        port_.done(p);
    }
    memo("There are " + std::to_string(out.ComboBox1Items.size()) + " Com ports available");
    // The lines above keep their places; what the scan learnt follows them.
    for (const std::string& line : assigned) memo(line);
    for (const std::string& line : devices) memo(line);
    out.ComboBox1ItemIndex = static_cast<int>(out.ComboBox1Items.size()) - 1;
}

// Stops polling, closes whatever port was open and takes the list's choice.
void DashboardCore::closeAndChoose() {
    out.Timer1Enabled = false;
    PortOpen = false;
    resetLinkWatch();
    port_.rxClear(PortNumber);
    port_.done(PortNumber);
    LineBuffer.clear();
    ValuesLoaded = false;
    ValuesSum = 0;
    takePortChoice();
    memo(PortName + " Selected");
}

void DashboardCore::ComboBox1Change(int itemIndex) {
    out.ComboBox1ItemIndex = itemIndex;
    closeAndChoose();
}

void DashboardCore::OpenCommportClick() {
    closeAndChoose();
    clearLinkState();
    out.AbLED2 = false;
    BaudRate = 57600;

    COMPORT_OPEN();
    if (!PortOpen) return;
    ValuesLoaded = false;
    out.Timer1Interval = 500;
    port_.putc(PortNumber, 13);
    sendValuesRequest();
    out.Timer1Enabled = true;
    memo("D REQUEST SENT");
}

void DashboardCore::COMPORT_OPEN() {
    LineBuffer.clear();
    BaudRate = 57600;
    memo("port#=" + std::to_string(PortNumber));
    const int r = port_.reset(PortNumber, kQueueSize, kQueueSize);
    if (r < 0) {
        PortOpen = false;
        out.warnings.push_back("Com" + std::to_string(PortNumber + 1) + " port in use");
        return;
    }
    PortOpen = true;
    deviceLost_ = false;
    resetLinkWatch();
    out.ComboBox1Enabled = false;
    out.Rescancomports1Enabled = false;
    port_.baud(PortNumber, static_cast<unsigned>(BaudRate));
    port_.rxClear(PortNumber);
    port_.txClear(PortNumber);
    memo("COMPORT " + std::to_string(PortNumber + 1) + " OPENED");
}

void DashboardCore::Button2Click() {
    FetchState = 0;
    out.Timer1Enabled = false;
    out.AbLED3 = false;
    memo("Closing Comport, com" + std::to_string(PortNumber + 1));
    PortOpen = false;
    resetLinkWatch();  // also stops reopening a device that went away
    port_.done(PortNumber);
    out.ComboBox1Enabled = true;
    ValuesLoaded = false;
    out.Rescancomports1Enabled = true;
}

// The hidden debug buttons work on COM1 whatever port is chosen.
void DashboardCore::Button13Click() { port_.rxClear(0); }

void DashboardCore::Button14Click() {
    std::string text;
    while (port_.rxQue(0) > 0) {
        const int c = port_.getc(0);
        if (c < 0) continue;
        if ((c & 0xFF) != 10) text.push_back(static_cast<char>(c & 0xFF));
    }
    memo(text);
}

void DashboardCore::Button17Click() { port_.done(0); }

}  // namespace kvr
