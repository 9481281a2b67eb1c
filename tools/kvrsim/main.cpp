// kvrsim: an ECU on a pseudo-terminal, for the dashboard's tests, demo and
// benchmarks. Prints the device path on the first line of stdout.
#include <getopt.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "default_values_image.h"
#include "ecu_simulator.h"
#include "paced_pty.h"

namespace {

std::atomic<bool> gStop{false};

void onSignal(int) { gStop = true; }

const char kUsage[] =
    "usage: kvrsim [options]\n"
    "  --baud N           line rate in bit/s for pacing (default 57600)\n"
    "  --link PATH        also make PATH a symlink to the device\n"
    "  --values FILE.KVV  answer \"D\" with line 1 of this values file\n"
    "  --replay FILE      answer \"Q\" with the live records (lines starting \"*\") of a text log\n"
    "  --fault NAME       checksum, unreadable, garbage, truncate, silence, hangup, image-checksum\n"
    "  --fault-every N    spoil every Nth live record (default 5)\n"
    "  --setup-every S    seconds between setup lines, 0 for none (default 5)\n"
    "  --o2               send O2 sensor volts instead of an air/fuel ratio\n"
    "  --stalled          the engine stands\n"
    "  --cylinders N      cylinders of the engine model (default 4)\n"
    "  --seconds S        end after S seconds (default: run until stopped)\n"
    "  --seed N           seed for the faults' randomness\n"
    "  --number-records   number live records in positions 61-64 (hex)\n"
    "  --send-log FILE    write one line per live record: number, time queued, time its last byte\n"
    "                     went out (milliseconds of the monotonic clock)\n";

bool readFirstLine(const std::string& path, std::string& line) {
    std::ifstream in(path, std::ios::binary);
    if (!in || !std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool readRecords(const std::string& path, std::vector<std::string>& records) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    for (std::string line; std::getline(in, line);) {
        if (line.size() >= 64 && line[0] == '*') records.push_back(line.substr(0, 64));
    }
    return !records.empty();
}

}  // namespace

int main(int argc, char** argv) {
    unsigned baud = 57600;
    std::string link, valuesFile, replayFile, sendLogFile;
    double seconds = -1;
    kvrsim::SimulatorSettings settings;
    kvrsim::EngineSettings engine;

    static const struct option kOptions[] = {
        {"baud", required_argument, nullptr, 'b'},   {"link", required_argument, nullptr, 'l'},
        {"values", required_argument, nullptr, 'v'}, {"replay", required_argument, nullptr, 'r'},
        {"fault", required_argument, nullptr, 'f'},  {"fault-every", required_argument, nullptr, 'n'},
        {"setup-every", required_argument, nullptr, 'u'}, {"o2", no_argument, nullptr, 'o'},
        {"stalled", no_argument, nullptr, 'z'},      {"cylinders", required_argument, nullptr, 'c'},
        {"seconds", required_argument, nullptr, 's'}, {"seed", required_argument, nullptr, 'e'},
        {"number-records", no_argument, nullptr, 'N'}, {"send-log", required_argument, nullptr, 'L'},
        {"help", no_argument, nullptr, 'h'},         {nullptr, 0, nullptr, 0},
    };
    for (int opt; (opt = getopt_long(argc, argv, "", kOptions, nullptr)) != -1;) {
        switch (opt) {
        case 'b': baud = static_cast<unsigned>(std::strtoul(optarg, nullptr, 10)); break;
        case 'l': link = optarg; break;
        case 'v': valuesFile = optarg; break;
        case 'r': replayFile = optarg; break;
        case 'f':
            if (!kvrsim::parseFault(optarg, settings.fault)) {
                std::fprintf(stderr, "kvrsim: unknown fault '%s'\n%s", optarg, kUsage);
                return 2;
            }
            break;
        case 'n': settings.faultEvery = std::atoi(optarg); break;
        case 'u': settings.setupEvery = std::atof(optarg); break;
        case 'o': engine.o2Volts = true; break;
        case 'z': engine.stalled = true; break;
        case 'c': engine.cylinders = std::max(1, std::atoi(optarg)); break;
        case 's': seconds = std::atof(optarg); break;
        case 'e': settings.seed = static_cast<unsigned>(std::strtoul(optarg, nullptr, 10)); break;
        case 'N': settings.numberRecords = true; break;
        case 'L': sendLogFile = optarg; break;
        case 'h': std::fputs(kUsage, stdout); return 0;
        default: std::fputs(kUsage, stderr); return 2;
        }
    }
    if (optind != argc || baud < 10) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    std::string image = kvrsim::defaultValuesImage();
    if (!valuesFile.empty() && !readFirstLine(valuesFile, image)) {
        std::fprintf(stderr, "kvrsim: cannot read a values image from %s\n", valuesFile.c_str());
        return 1;
    }
    kvrsim::EcuSimulator sim(image, kvrsim::EngineModel(engine), settings);
    if (!replayFile.empty()) {
        std::vector<std::string> records;
        if (!readRecords(replayFile, records)) {
            std::fprintf(stderr, "kvrsim: no live records in %s\n", replayFile.c_str());
            return 1;
        }
        sim.replay(std::move(records));
    }

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
        while (!gStop && (seconds < 0 || elapsed() < seconds)) {
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
