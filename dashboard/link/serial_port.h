// The serial calls the dashboard makes, behind an interface so the link and
// the connection logic can be driven by tests without a port, and by the
// window and kvrtool through the tolk library.
#pragma once

#include <string>
#include <vector>

namespace kvr {

class SerialPort {
public:
    virtual ~SerialPort() = default;
    virtual int reset(int port, int rxQueueSize, int txQueueSize) = 0;
    virtual int baud(int port, unsigned rate) = 0;
    virtual int done(int port) = 0;
    virtual int rxClear(int port) = 0;
    virtual int txClear(int port) = 0;
    virtual int rxQue(int port) = 0;
    virtual int getc(int port) = 0;
    virtual int putc(int port, unsigned char value) = 0;
    virtual int puts(int port, const char* data, int count) = 0;

    // What the port scan tells beyond the results: the device a port stands
    // for (empty when unknown), why the last open failed (an errno, 0 when
    // unknown), and the lines that tell of devices just given a port below
    // `ports` so the port list can reach them. Ports in memory have none.
    virtual std::string deviceName(int) { return std::string(); }
    virtual int lastOsError() { return 0; }
    virtual std::vector<std::string> assignNewDevices(int) { return {}; }
};

// The real thing: the tolk library's Sio calls.
class TolkSerialPort : public SerialPort {
public:
    int reset(int port, int rxQueueSize, int txQueueSize) override;
    int baud(int port, unsigned rate) override;
    int done(int port) override;
    int rxClear(int port) override;
    int txClear(int port) override;
    int rxQue(int port) override;
    int getc(int port) override;
    int putc(int port, unsigned char value) override;
    int puts(int port, const char* data, int count) override;
    std::string deviceName(int port) override;
    int lastOsError() override;
    std::vector<std::string> assignNewDevices(int ports) override;
};

}  // namespace kvr
