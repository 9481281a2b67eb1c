// The tolk port, noticing when the device behind it has gone: the receive
// queue count fails with SIO_E_IO once a pulled adapter or a closed
// pseudo-terminal leaves the port open but dead.
#pragma once

#include "dashboard/link/serial_port.h"
#include "tolk.h"

namespace kvrtool {

class WatchedPort : public kvr::TolkSerialPort {
public:
    int reset(int port, int rx, int tx) override { return lastReset = TolkSerialPort::reset(port, rx, tx); }
    int rxQue(int port) override {
        const int n = TolkSerialPort::rxQue(port);
        if (n == SIO_E_IO) gone = true;
        return n;
    }

    int lastReset = 0;
    bool gone = false;
};

}  // namespace kvrtool
