// kvrsim: an ECU on a pseudo-terminal, for the dashboard's tests, demo and
// benchmarks. Prints the device path on the first line of stdout.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "dashboard/values/values_image_check.h"
#include "default_values_image.h"
#include "ecu_simulator.h"
#include "offline_log.h"
#include "paced_pty.h"
#include "sim_options.h"

namespace {

using kvrsim::readFailure;

std::atomic<bool> gStop{false};

void onSignal(int) { gStop = true; }

bool readFirstLine(const std::string& path, std::string& line, std::string& why) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "cannot open " + readFailure(path);
        return false;
    }
    if (!std::getline(in, line)) {
        why = in.bad() ? "cannot read " + readFailure(path) : "no values image in " + path + ": it is empty";
        return false;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

// Line 1 of a values file, refused unless it can be a values image: the
// peer would take anything else for a broken ECU.
bool readValuesLine(const std::string& path, std::string& line, std::string& why) {
    if (!readFirstLine(path, line, why)) return false;
    const std::string problem = kvr::valuesImageProblem(line);
    if (!problem.empty()) why = path + " is not a values file: " + problem;
    return problem.empty();
}

bool readRecords(const std::string& path, std::vector<std::string>& records, std::string& why) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "cannot open " + readFailure(path);
        return false;
    }
    for (std::string line; std::getline(in, line);) {
        if (line.size() >= 64 && line[0] == '*') records.push_back(line.substr(0, 64));
    }
    if (in.bad()) {
        why = "cannot read " + readFailure(path);
        return false;
    }
    if (records.empty()) why = "no live records in " + path;
    return !records.empty();
}

// Serves the simulator on a paced pseudo-terminal until the time is up, a
// signal stops it, or a hang-up fault ends the line. The exit status.
int serve(kvrsim::EcuSimulator& sim, const kvrsim::SimOptions& o) {
    const std::string& link = o.link;
    const std::string& sendLogFile = o.sendLogFile;
    const unsigned baud = o.baud;
    const double runSeconds = o.runSeconds;
    signal(SIGINT, onSignal);
    signal(SIGTERM, onSignal);
    signal(SIGPIPE, SIG_IGN);
    try {
        kvrsim::PacedPty wire(baud);
        if (!link.empty()) {
            ::unlink(link.c_str());
            if (::symlink(wire.devicePath().c_str(), link.c_str()) != 0) {
                std::perror(("kvrsim: symlink " + link).c_str());
                return 1;
            }
        }
        std::printf("%s\n", wire.devicePath().c_str());
        std::fflush(stdout);

        std::ofstream sendLog;
        if (!sendLogFile.empty()) {
            sendLog.open(sendLogFile);
            if (!sendLog) {
                std::fprintf(stderr, "kvrsim: cannot write %s\n", sendLogFile.c_str());
                return 1;
            }
        }
        struct InFlight {
            int number;
            uint64_t end;  // byte count on the wire once its last byte is out
            double queuedMs;
        };
        std::deque<InFlight> inFlight;
        auto monotonicMs = [] {
            return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };

        const auto start = std::chrono::steady_clock::now();
        auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
        while (!gStop && (runSeconds < 0 || elapsed() < runSeconds)) {
            const double now = elapsed();
            sim.receive(wire.service(2, now), now);
            while (!inFlight.empty() && inFlight.front().end <= wire.writtenBytes()) {
                sendLog << inFlight.front().number << ' ' << std::fixed << inFlight.front().queuedMs << ' '
                        << monotonicMs() << '\n';
                inFlight.pop_front();
            }
            sim.tick(now);
            const uint64_t base = wire.queuedBytes();
            wire.send(sim.takeOutput());
            if (sendLog.is_open()) {
                for (const auto& r : sim.recordsInOutput()) inFlight.push_back({r.number, base + r.end, monotonicMs()});
            }
            if (sim.hungUp() && wire.idle()) {
                std::fprintf(stderr, "kvrsim: hanging up after %d records\n", sim.recordsSent());
                // The link goes first: once the master closes, the kernel may
                // hand the same /dev/pts number to the next pseudo-terminal,
                // and a peer reopening through the link must not reach it.
                if (!link.empty()) ::unlink(link.c_str());
                wire.hangUp();
                break;
            }
        }
        if (!link.empty()) ::unlink(link.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kvrsim: %s\n", e.what());
        return 1;
    }
    return 0;
}

// The map drive's engine: fuelled by the served image, with a need relative
// to the fuel reference. False, with the reason, when an image cannot fuel it.
bool mapDriveEngine(const kvrsim::SimOptions& o, const std::string& served, kvrsim::EngineModel& engine,
                    std::string& why) {
    std::string reference = kvrsim::defaultValuesImage();
    if (!o.fuelReferenceFile.empty() && !readValuesLine(o.fuelReferenceFile, reference, why)) return false;
    const auto fuel = kvrsim::makeFuelModel(served, reference, o.fuelError, why);
    if (!fuel) {
        why = "the map drive cannot fuel by this image: " + why;
        return false;
    }
    kvrsim::EngineSettings settings = o.engine;
    // The pulse is counted in the units of the served image's software.
    settings.pulseInMicros = fuel->served().softwareVersion >= 3100;
    engine = kvrsim::EngineModel(settings, *fuel);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    kvrsim::SimOptions o;
    if (const int status = kvrsim::parseOptions(argc, argv, o); status != kvrsim::kGoOn) return status;
    std::string image = kvrsim::defaultValuesImage();
    std::string why;
    if (!o.valuesFile.empty() && !readValuesLine(o.valuesFile, image, why)) {
        std::fprintf(stderr, "kvrsim: %s\n", why.c_str());
        return 1;
    }
    kvrsim::EngineModel engine(o.engine);
    if (o.engine.drive == kvrsim::Drive::Map && !mapDriveEngine(o, image, engine, why)) {
        std::fprintf(stderr, "kvrsim: %s\n", why.c_str());
        return 1;
    }
    if (!o.writeLogFile.empty()) {
        if (!kvrsim::writeOfflineLog(engine, image, o.settings.seed, o.runSeconds, o.writeLogRate, o.writeLogFile,
                                     why)) {
            std::fprintf(stderr, "kvrsim: %s\n", why.c_str());
            return 1;
        }
        return 0;
    }
    kvrsim::EcuSimulator sim(image, engine, o.settings);
    if (!o.replayFile.empty()) {
        std::vector<std::string> records;
        if (!readRecords(o.replayFile, records, why)) {
            std::fprintf(stderr, "kvrsim: %s\n", why.c_str());
            return 1;
        }
        sim.replay(std::move(records));
    }

    return serve(sim, o);
}
