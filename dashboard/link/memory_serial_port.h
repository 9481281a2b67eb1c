// A serial port in memory: bytes queued for reading, bytes written kept, and
// chosen open results. kvrtool feeds the core through it; tests drive the
// core with it.
#pragma once

#include <cerrno>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "dashboard/link/serial_port.h"
#include "tolk.h"

namespace kvr {

class MemorySerialPort : public SerialPort {
public:
    std::deque<unsigned char> input;
    std::string written;
    std::map<int, int> resetResults;  // port -> SioReset result; missing ports fail
    std::map<int, bool> open;
    int rxClears = 0;
    std::map<int, std::string> devices;     // port -> the device it stands for
    std::map<int, int> openErrors;          // port -> errno of its failed open
    std::vector<std::string> newDeviceLines;  // what assignNewDevices tells
    int lastError = 0;

    void feed(const std::string& bytes) { input.insert(input.end(), bytes.begin(), bytes.end()); }
    std::string takeWritten() {
        std::string w;
        w.swap(written);
        return w;
    }

    int reset(int port, int, int) override {
        auto it = resetResults.find(port);
        auto err = openErrors.find(port);
        lastError = err != openErrors.end() ? err->second : ENOENT;
        if (it == resetResults.end()) return SIO_E_OS_ERROR;
        if (it->second >= 0) open[port] = true;
        return it->second;
    }
    int baud(int port, unsigned) override { return isOpen(port) ? 1 : SIO_E_NOT_OPEN; }
    int done(int port) override {
        if (!isOpen(port)) return SIO_E_NOT_OPEN;
        open[port] = false;
        return 1;
    }
    int rxClear(int port) override {
        if (!isOpen(port)) return SIO_E_NOT_OPEN;
        ++rxClears;
        input.clear();
        return 0;
    }
    int txClear(int port) override { return isOpen(port) ? 0 : SIO_E_NOT_OPEN; }
    int rxQue(int port) override { return isOpen(port) ? static_cast<int>(input.size()) : SIO_E_NOT_OPEN; }
    int getc(int port) override {
        if (!isOpen(port)) return SIO_E_NOT_OPEN;
        if (input.empty()) return SIO_E_NO_DATA;
        int c = input.front();
        input.pop_front();
        return c;
    }
    int putc(int port, unsigned char value) override {
        if (!isOpen(port)) return SIO_E_NOT_OPEN;
        written.push_back(static_cast<char>(value));
        return 1;
    }
    int puts(int port, const char* data, int count) override {
        if (!isOpen(port)) return SIO_E_NOT_OPEN;
        written.append(data, static_cast<size_t>(count));
        return count;
    }

    std::string deviceName(int port) override {
        auto it = devices.find(port);
        return it != devices.end() ? it->second : std::string();
    }
    int lastOsError() override { return lastError; }
    std::vector<std::string> assignNewDevices(int) override { return newDeviceLines; }

private:
    bool isOpen(int port) const {
        auto it = open.find(port);
        return it != open.end() && it->second;
    }
};

}  // namespace kvr
