// A stand-in for the library's OS layer, for what a pseudo-terminal cannot
// show: modem lines, refused settings, failing closes, a device that answers
// nothing useful. Records the calls the library makes.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "os_layer.h"

struct FakeDevice {
    // What the library did.
    std::vector<std::pair<int, bool>> modemCalls;  // (line bits, raised)
    std::vector<std::string> opened;
    int closes = 0;
    int setAttrCalls = 0;
    int flushes = 0;
    struct termios lastAttr {};
    unsigned lastRate = 0;
    std::vector<unsigned char> written;

    // How the device behaves.
    int openErrno = 0;      // open fails with this when not 0
    int getAttrErrno = 0;   // reading the settings fails
    int setAttrErrno = 0;   // the settings are refused
    int closeErrno = 0;     // close fails
    int readErrno = 0;      // reads fail with this (0: normal)
    bool wakeFails = false; // the wake-up channel cannot be made
    int modemErrno = 0;     // modem lines refused with this
    int modemBits = 0;      // lines as read by modemGet
    size_t writeCapacity = SIZE_MAX;  // bytes the driver takes before it is full
    std::deque<unsigned char> input;
    uint32_t tick = 1000;

    // Line errors and break.
    int countersErrno = 0;  // the counters cannot be read
    tolk::LineCounters counters;
    int breakErrno = 0;
    bool breakOn = false;
    int outQueued = 0;  // bytes the driver still has to send

    // Waiting and sleeping.
    bool wakePending = false;  // the wake channel is signalled
    std::vector<uint32_t> sleeps;
    std::function<void(FakeDevice&)> onWait;  // runs at every wait, to change the line
};

// Installs the fake for the life of the object.
class FakeOs {
public:
    FakeOs();
    ~FakeOs();
    FakeDevice& device() { return dev(); }
    static FakeDevice& dev();
};
