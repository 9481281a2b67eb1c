// kvrsim: an ECU on a pseudo-terminal, for the dashboard's tests, demo and
// benchmarks. Prints the device path on the first line of stdout.
#include <getopt.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "default_values_image.h"
#include "ecu_simulator.h"
#include "kvr_version.h"
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
    "  --drive NAME       how the engine model runs: cycle (default), a 40 s round of idle,\n"
    "                     a pull, cruise and a lift-off; or sweep, 900 to 6100 RPM and back\n"
    "                     every 8 s with throttle, MAP, mixture, ignition and knock following\n"
    "  --o2               send O2 sensor volts instead of an air/fuel ratio\n"
    "  --stalled          the engine stands\n"
    "  --cylinders N      cylinders of the engine model, 1 to 16 (default 4)\n"
    "  --seconds S        end after S seconds (default: run until stopped)\n"
    "  --seed N           seed for the faults' randomness\n"
    "  --number-records   number live records in positions 61-64 (hex)\n"
    "  --send-log FILE    write one line per live record: number, time queued, time its last byte\n"
    "                     went out (milliseconds of the monotonic clock)\n"
    "  --help             this text\n"
    "  --version          the version\n";

const char kUsageLine[] = "usage: kvrsim [options]   (kvrsim --help lists them)\n";

// Bad usage: the reason and the usage line on stderr, exit status 2.
int usageError(const std::string& why) {
    std::fprintf(stderr, "kvrsim: %s\n%s", why.c_str(), kUsageLine);
    return 2;
}

// A whole decimal number from min to max, nothing before or after it.
bool wholeNumber(const char* text, unsigned long long min, unsigned long long max, unsigned long long& out) {
    if (*text < '0' || *text > '9') return false;  // strtoull would take spaces, signs and "0x"
    errno = 0;
    char* end = nullptr;
    const unsigned long long n = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || n < min || n > max) return false;
    out = n;
    return true;
}

// A finite decimal number of seconds, at least min, nothing before or after it.
bool secondsNumber(const char* text, double min, double& out) {
    if (*text == '\0' || std::isspace(static_cast<unsigned char>(*text))) return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v) || v < min) return false;
    out = v;
    return true;
}

// The reason a file could not be read, from errno; a folder opens and then fails to read.
std::string readFailure(const std::string& path) {
    return path + ": " + std::strerror(errno != 0 ? errno : EIO);
}

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

struct SimOptions {
    unsigned baud = 57600;
    std::string link, valuesFile, replayFile, sendLogFile;
    double runSeconds = -1;  // until stopped
    kvrsim::SimulatorSettings settings;
    kvrsim::EngineSettings engine;
};

constexpr int kGoOn = -1;

// The command line into `o`: kGoOn, or the exit status (help, version, bad usage).
int parseOptions(int argc, char** argv, SimOptions& o) {
    unsigned& baud = o.baud;
    double& runSeconds = o.runSeconds;
    kvrsim::SimulatorSettings& settings = o.settings;
    kvrsim::EngineSettings& engine = o.engine;

    static const struct option kOptions[] = {
        {"baud", required_argument, nullptr, 'b'},   {"link", required_argument, nullptr, 'l'},
        {"values", required_argument, nullptr, 'v'}, {"replay", required_argument, nullptr, 'r'},
        {"fault", required_argument, nullptr, 'f'},  {"fault-every", required_argument, nullptr, 'n'},
        {"setup-every", required_argument, nullptr, 'u'}, {"o2", no_argument, nullptr, 'o'},
        {"drive", required_argument, nullptr, 'd'},
        {"stalled", no_argument, nullptr, 'z'},      {"cylinders", required_argument, nullptr, 'c'},
        {"seconds", required_argument, nullptr, 's'}, {"seed", required_argument, nullptr, 'e'},
        {"number-records", no_argument, nullptr, 'N'}, {"send-log", required_argument, nullptr, 'L'},
        {"help", no_argument, nullptr, 'h'},         {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    // Numbers are read whole: "9600x" or "abc" is bad usage, not 9600 or 0.
    unsigned long long whole = 0;
    opterr = 0;  // the messages are ours, in the one-line form
    for (int opt; (opt = getopt_long(argc, argv, "", kOptions, nullptr)) != -1;) {
        switch (opt) {
        case 'b':
            if (!wholeNumber(optarg, 10, UINT_MAX, whole))
                return usageError(std::string("--baud takes a whole number of bit/s from 10, not '") + optarg + "'");
            baud = static_cast<unsigned>(whole);
            break;
        case 'l': o.link = optarg; break;
        case 'v': o.valuesFile = optarg; break;
        case 'r': o.replayFile = optarg; break;
        case 'f':
            if (!kvrsim::parseFault(optarg, settings.fault)) return usageError(std::string("unknown fault '") + optarg + "'");
            break;
        case 'n':
            if (!wholeNumber(optarg, 1, INT_MAX, whole))
                return usageError(std::string("--fault-every takes a whole number from 1, not '") + optarg + "'");
            settings.faultEvery = static_cast<int>(whole);
            break;
        case 'u':
            if (!secondsNumber(optarg, 0, settings.setupEvery))
                return usageError(std::string("--setup-every takes seconds, 0 or more, not '") + optarg + "'");
            break;
        case 'd':
            if (!kvrsim::parseDrive(optarg, engine.drive))
                return usageError(std::string("--drive takes cycle or sweep, not '") + optarg + "'");
            break;
        case 'o': engine.o2Volts = true; break;
        case 'z': engine.stalled = true; break;
        case 'c':
            if (!wholeNumber(optarg, 1, 16, whole))
                return usageError(std::string("--cylinders takes a whole number from 1 to 16, not '") + optarg + "'");
            engine.cylinders = static_cast<int>(whole);
            break;
        case 's':
            if (!secondsNumber(optarg, 0, runSeconds) || runSeconds <= 0)
                return usageError(std::string("--seconds takes a number of seconds above 0, not '") + optarg + "'");
            break;
        case 'e':
            if (!wholeNumber(optarg, 0, UINT_MAX, whole))
                return usageError(std::string("--seed takes a whole number, not '") + optarg + "'");
            settings.seed = static_cast<unsigned>(whole);
            break;
        case 'N': settings.numberRecords = true; break;
        case 'L': o.sendLogFile = optarg; break;
        case 'h': std::fputs(kUsage, stdout); return 0;
        case 'V': std::printf("kvrsim %s\n", KVR_PACKAGE_VERSION); return 0;
        default:
            return usageError(std::string("unknown option, or an option without its value: '") + argv[optind - 1] +
                              "'");
        }
    }
    if (optind != argc) return usageError(std::string("unexpected argument '") + argv[optind] + "'");
    return kGoOn;
}

// Serves the simulator on a paced pseudo-terminal until the time is up, a
// signal stops it, or a hang-up fault ends the line. The exit status.
int serve(kvrsim::EcuSimulator& sim, const SimOptions& o) {
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

}  // namespace

int main(int argc, char** argv) {
    SimOptions o;
    if (const int status = parseOptions(argc, argv, o); status != kGoOn) return status;
    std::string image = kvrsim::defaultValuesImage();
    std::string why;
    if (!o.valuesFile.empty() && !readFirstLine(o.valuesFile, image, why)) {
        std::fprintf(stderr, "kvrsim: %s\n", why.c_str());
        return 1;
    }
    kvrsim::EcuSimulator sim(image, kvrsim::EngineModel(o.engine), o.settings);
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
