// The simulator's ECU on the other end of an in-memory port, with a clock
// the test moves: the ECU's answers reach the port at the line's rate
// (57600 bit/s, 10 bits a byte), the session's commands reach the ECU at
// once, and the line can be stopped (as a stopped ECU process: commands
// pile up unread, nothing comes back) or the device made to vanish.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "dashboard/link/memory_serial_port.h"
#include "dashboard/session/session.h"
#include "default_values_image.h"
#include "ecu_simulator.h"
#include "tolk.h"

namespace kvr::test {

// A port whose device can vanish and come back.
class VanishingMemoryPort : public MemorySerialPort {
public:
    bool gone = false;
    int rxQue(int port) override { return gone ? SIO_E_IO : MemorySerialPort::rxQue(port); }
    int reset(int port, int rx, int tx) override { return gone ? SIO_E_OS_ERROR : MemorySerialPort::reset(port, rx, tx); }
};

class SimulatedWire {
public:
    explicit SimulatedWire(kvrsim::SimulatorSettings settings = {})
        : ecu(kvrsim::defaultValuesImage(), kvrsim::EngineModel(kvrsim::EngineSettings{}), settings) {
        port.resetResults[0] = 1;
    }

    // Moves the clock by `ms`, one millisecond at a time, running the
    // session's tick whenever its interval has passed.
    void run(Session& session, int64_t ms) {
        for (int64_t end = now + ms; now < end;) {
            ++now;
            carry();
            if (session.status.tickRunning && now >= nextTick) {
                session.tick();
                nextTick = now + std::max(session.status.tickIntervalMs, 1);
            }
        }
    }

    // The device goes away: what it had delivered and was not yet read goes with it.
    void vanish() {
        fed.resize(fed.size() - port.input.size());
        port.input.clear();
        port.gone = true;
    }

    int64_t now = 1000000;
    bool stopped = false;  // the ECU neither reads nor answers
    VanishingMemoryPort port;
    kvrsim::EcuSimulator ecu;
    int pollsSent = 0;  // "Q" commands the session wrote
    std::string fed;    // every byte that reached the port
    // Live records whose last byte reached the port.
    int recordsArrived() const {
        int n = 0;
        for (size_t at = fed.find("\n*"); at != std::string::npos; at = fed.find("\n*", at + 1))
            n += fed.find('\n', at + 1) != std::string::npos;
        return n + (fed.rfind('*', 0) == 0 && fed.find('\n') != std::string::npos);
    }

private:
    void carry() {
        const std::string written = port.takeWritten();
        for (size_t at = written.find('Q'); at != std::string::npos; at = written.find('Q', at + 1)) ++pollsSent;
        unread_ += written;
        if (!stopped) {
            ecu.receive(unread_, static_cast<double>(now) / 1000.0);
            unread_.clear();
            ecu.tick(static_cast<double>(now) / 1000.0);
            onTheLine_ += ecu.takeOutput();
        }
        // 5.76 bytes a millisecond.
        budget_ += 5.76;
        const size_t n = std::min(onTheLine_.size(), static_cast<size_t>(budget_));
        budget_ -= static_cast<double>(n);
        if (onTheLine_.empty()) budget_ = std::min(budget_, 1.0);
        if (!port.gone) {
            port.feed(onTheLine_.substr(0, n));
            fed += onTheLine_.substr(0, n);
        }
        onTheLine_.erase(0, n);
    }

    std::string unread_;     // commands the ECU has not read yet
    std::string onTheLine_;  // answers on their way
    double budget_ = 0;
    int64_t nextTick = 0;
};

}  // namespace kvr::test
