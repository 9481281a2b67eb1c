// The session's sinks, and finding, choosing, opening and closing the port.
#include "dashboard/session/session.h"

#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <cerrno>

#include "dashboard/link/port_error.h"
#include "widgets/model/trend_time.h"
#include "tolk.h"

namespace kvr {
namespace {

constexpr int kScannedPorts = 40;  // COM1..COM40
constexpr int kQueueSize = 8192;

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

Session::Session(SerialPort& port, MessageLog& messages)
    : wallClockDays(localNowDays), port_(port), messages_(messages) {}

void Session::addSink(RecordSink& sink) {
    if (std::find(sinks_.begin(), sinks_.end(), &sink) == sinks_.end()) sinks_.push_back(&sink);
}

void Session::removeSink(RecordSink& sink) { sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), &sink), sinks_.end()); }

void Session::clearLinkState() {
    framer.reset();
    valuesLoaded = false;
    lastRecordGood = false;
    setupReceived = false;
}

void Session::start() {
    portOpen = false;
    scanPorts();
    baudRate = 57600;
    takePortChoice();
    clearLinkState();
}

void Session::takePortChoice() {
    const auto& items = status.ports;
    const int index = status.portIndex;
    portName = (index >= 0 && index < static_cast<int>(items.size())) ? items[index] : std::string();
    if (int n = portNumberFromName(portName); n >= 0) portNumber = n;
}

void Session::scanPorts() {
    status.ports.clear();
    status.portIndex = -1;
    status.tickRunning = false;
    // Devices the list could not reach get a port in it first, so they are
    // scanned with the rest.
    const std::vector<std::string> assigned = port_.assignNewDevices(kScannedPorts);
    std::vector<std::string> devices;
    for (int p = 0; p < kScannedPorts; ++p) {
        const int r = port_.reset(p, kQueueSize, kQueueSize);
        const std::string com = std::to_string(p + 1);
        if (r >= 0) {
            port_.rxClear(p);
            messages_.add("COM PORT " + com + " AVAILABLE " + std::to_string(r));
            status.ports.push_back("COM" + com);
            if (const std::string device = port_.deviceName(p); !device.empty())
                devices.push_back(deviceLine(p, device));
        } else {
            messages_.add("COM PORT " + com + " NOT AVAILABLE " + std::to_string(r));
            // A device that is there but refused is worth a line; the many
            // missing ones are not.
            const int err = port_.lastOsError();
            if (r == SIO_E_OS_ERROR && (err == EACCES || err == EPERM || err == EBUSY))
                devices.push_back(portOpenMessage(p, port_.deviceName(p), r, err));
        }
        port_.done(p);
    }
    messages_.add("There are " + std::to_string(status.ports.size()) + " Com ports available");
    // The lines above keep their places; what the scan learnt follows them.
    for (const std::string& line : assigned) messages_.add(line);
    for (const std::string& line : devices) messages_.add(line);
    status.portIndex = static_cast<int>(status.ports.size()) - 1;
}

// Stops polling, closes whatever port was open and takes the list's choice.
void Session::closeAndChoose() {
    status.tickRunning = false;
    portOpen = false;
    resetLinkWatch();
    port_.rxClear(portNumber);
    port_.done(portNumber);
    framer.dropLine();
    valuesLoaded = false;
    takePortChoice();
    messages_.add(portName + " Selected");
}

void Session::choosePort(int index) {
    status.portIndex = index;
    closeAndChoose();
}

std::string Session::portLabel() const {
    return portLabel_.empty() ? "COM" + std::to_string(portNumber + 1) : portLabel_;
}

void Session::openPort(int number, const std::string& label) {
    // The list holds just this port; one beyond the list's forty keeps its
    // number, since no list item names it.
    portNumber = number;
    portLabel_ = label;
    status.ports = {portLabel()};
    status.portIndex = 0;
    openChosenPort();
}

void Session::openChosenPort() {
    closeAndChoose();
    clearLinkState();
    baudRate = 57600;

    framer.clearLine();
    messages_.add("port#=" + std::to_string(portNumber));
    const int r = port_.reset(portNumber, kQueueSize, kQueueSize);
    if (r < 0) {
        portOpen = false;
        messages_.warnings.push_back("Com" + std::to_string(portNumber + 1) + " port in use");
        checkLink();
        return;
    }
    portOpen = true;
    deviceLost_ = false;
    resetLinkWatch();
    status.portChoiceEnabled = false;
    status.rescanEnabled = false;
    port_.baud(portNumber, static_cast<unsigned>(baudRate));
    port_.rxClear(portNumber);
    port_.txClear(portNumber);
    messages_.add("COMPORT " + std::to_string(portNumber + 1) + " OPENED");

    valuesLoaded = false;
    status.tickIntervalMs = 500;
    port_.putc(portNumber, 13);
    sendCommand('D');
    status.tickRunning = true;
    messages_.add("D REQUEST SENT");
    checkLink();
}

void Session::closePort() {
    fetchState = 0;
    status.tickRunning = false;
    status.receiving = false;
    messages_.add("Closing Comport, com" + std::to_string(portNumber + 1));
    portOpen = false;
    resetLinkWatch();  // also stops reopening a device that went away
    port_.done(portNumber);
    status.portChoiceEnabled = true;
    valuesLoaded = false;
    status.rescanEnabled = true;
    checkLink();
}

void Session::shutDown() { port_.done(portNumber); }

void Session::pause() {
    status.tickRunning = false;
    if (portOpen) paused_ = true;
    sendCommand('S');
    port_.rxClear(portNumber);
    checkLink();
}

void Session::resume() {
    if (paused_) {
        paused_ = false;
        recordSinceOpen_ = false;
        openedMs_ = monotonicMs();
    }
    sendPollNow();
    port_.rxClear(portNumber);
    status.tickRunning = true;
    checkLink();
}

void Session::fetchValues() {
    valuesInUse = false;
    valuesLoaded = false;
    pollSentMs_.reset();  // the next answer is the image
    sendCommand('D');
    status.tickIntervalMs = 600;
    valuesSource = "ecu";
    if (onValuesRequested) onValuesRequested();
}

// The hidden debug buttons work on COM1 whatever port is chosen.
void Session::clearCom1Queue() { port_.rxClear(0); }

void Session::readCom1Text() {
    std::string text;
    while (port_.rxQue(0) > 0) {
        const int c = port_.getc(0);
        if (c < 0) continue;
        if ((c & 0xFF) != 10) text.push_back(static_cast<char>(c & 0xFF));
    }
    messages_.add(text);
}

void Session::closeCom1() { port_.done(0); }

}  // namespace kvr
