#include "sim_options.h"

#include <getopt.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "kvr_version.h"

namespace kvrsim {
namespace {

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
    "                     a pull, cruise and a lift-off; sweep, 900 to 6100 RPM and back\n"
    "                     every 8 s with throttle, MAP, mixture, ignition and knock following;\n"
    "                     or map, a cold start, then idle, steady cruise at many speeds and\n"
    "                     loads, pulls on boost and lift-offs, laid out by --seed so that 10\n"
    "                     minutes cover the fuel map; the ECU fuels it by its values image and\n"
    "                     a wide-band sensor (lag, noise) reads the mixture\n"
    "  --fuel-error E     (map drive) how the engine's fuel need departs from what the fuel\n"
    "                     reference image delivers; above 1 it runs lean: none (default),\n"
    "                     mild, wild, lean, or a file of lines\n"
    "                       rpm RPM MULTIPLIER      points joined by straight lines\n"
    "                       map MAP MULTIPLIER      MAP in inHg of vacuum below 0, psi of boost above\n"
    "                       cell RPM MAP MULTIPLIER [RPM-WIDTH MAP-WIDTH]\n"
    "                                               a bump of speed and load together (widths 600 3)\n"
    "                     the rpm and map multipliers and the cells multiply; '#' starts a comment\n"
    "  --fuel-reference FILE.KVV\n"
    "                     (map drive) the image the engine's need is relative to (default: the\n"
    "                     built-in image); the ECU fuels by --values, so an image with better\n"
    "                     fuel numbers brings the mixture to its target\n"
    "  --o2               send O2 sensor volts instead of an air/fuel ratio\n"
    "  --stalled          the engine stands\n"
    "  --cylinders N      cylinders of the engine model, 1 to 16 (default 4)\n"
    "  --seconds S        end after S seconds (default: run until stopped)\n"
    "  --seed N           seed for the faults' randomness, the map drive and the sensor's noise\n"
    "  --number-records   number live records in positions 61-64 (hex)\n"
    "  --send-log FILE    write one line per live record: number, time queued, time its last byte\n"
    "                     went out (milliseconds of the monotonic clock)\n"
    "  --write-log FILE.msl\n"
    "                     write the drive's records for --seconds of simulated time straight to\n"
    "                     a data log (as kvrtool log writes it) and exit, without a line: ten\n"
    "                     minutes of the map drive take a second\n"
    "  --rate N           records a second for --write-log (default 83.5, the line's full rate)\n"
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

std::string presetList() {
    std::string list;
    for (const std::string& name : fuelErrorPresets()) list += (list.empty() ? "" : ", ") + name;
    return list;
}

// A preset's name or a fuel error file into `error`: kGoOn or the exit status.
int readFuelError(const std::string& arg, FuelError& error) {
    if (fuelErrorPreset(arg, error)) return kGoOn;
    errno = 0;
    std::ifstream in(arg, std::ios::binary);
    if (!in) {
        if (errno == ENOENT || errno == 0)
            return usageError("--fuel-error takes " + presetList() + " or a file, not '" + arg + "'");
        std::fprintf(stderr, "kvrsim: cannot open %s\n", readFailure(arg).c_str());
        return 1;
    }
    std::string text;
    for (std::string line; std::getline(in, line);) text += line + "\n";
    if (in.bad()) {
        std::fprintf(stderr, "kvrsim: cannot read %s\n", readFailure(arg).c_str());
        return 1;
    }
    std::string why;
    if (!parseFuelError(text, error, why)) return usageError("--fuel-error " + arg + ": " + why);
    return kGoOn;
}

}  // namespace

std::string readFailure(const std::string& path) {
    return path + ": " + std::strerror(errno != 0 ? errno : EIO);
}

// The command line into `o`: kGoOn, or the exit status (help, version, bad usage).
int parseOptions(int argc, char** argv, SimOptions& o) {
    unsigned& baud = o.baud;
    double& runSeconds = o.runSeconds;
    SimulatorSettings& settings = o.settings;
    EngineSettings& engine = o.engine;

    static const struct option kOptions[] = {
        {"baud", required_argument, nullptr, 'b'},   {"link", required_argument, nullptr, 'l'},
        {"values", required_argument, nullptr, 'v'}, {"replay", required_argument, nullptr, 'r'},
        {"fault", required_argument, nullptr, 'f'},  {"fault-every", required_argument, nullptr, 'n'},
        {"setup-every", required_argument, nullptr, 'u'}, {"o2", no_argument, nullptr, 'o'},
        {"drive", required_argument, nullptr, 'd'},
        {"stalled", no_argument, nullptr, 'z'},      {"cylinders", required_argument, nullptr, 'c'},
        {"seconds", required_argument, nullptr, 's'}, {"seed", required_argument, nullptr, 'e'},
        {"number-records", no_argument, nullptr, 'N'}, {"send-log", required_argument, nullptr, 'L'},
        {"fuel-error", required_argument, nullptr, 'F'}, {"fuel-reference", required_argument, nullptr, 'R'},
        {"write-log", required_argument, nullptr, 'W'}, {"rate", required_argument, nullptr, 'a'},
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
            if (!parseFault(optarg, settings.fault)) return usageError(std::string("unknown fault '") + optarg + "'");
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
            if (!parseDrive(optarg, engine.drive))
                return usageError(std::string("--drive takes cycle, sweep or map, not '") + optarg + "'");
            break;
        case 'F':
            if (const int status = readFuelError(optarg, o.fuelError); status != kGoOn) return status;
            o.fuelOptionGiven = true;
            break;
        case 'R':
            o.fuelReferenceFile = optarg;
            o.fuelOptionGiven = true;
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
        case 'W': o.writeLogFile = optarg; break;
        case 'a':
            if (!secondsNumber(optarg, 0, o.writeLogRate) || o.writeLogRate <= 0 || o.writeLogRate > 1000)
                return usageError(std::string("--rate takes records a second, above 0 up to 1000, not '") + optarg +
                                  "'");
            break;
        case 'h': std::fputs(kUsage, stdout); return 0;
        case 'V': std::printf("kvrsim %s\n", KVR_PACKAGE_VERSION); return 0;
        default:
            return usageError(std::string("unknown option, or an option without its value: '") + argv[optind - 1] +
                              "'");
        }
    }
    if (optind != argc) return usageError(std::string("unexpected argument '") + argv[optind] + "'");
    if (o.fuelOptionGiven && engine.drive != Drive::Map)
        return usageError("--fuel-error and --fuel-reference go with --drive map");
    if (!o.writeLogFile.empty() && runSeconds <= 0)
        return usageError("--write-log needs --seconds: how much of the drive to write");
    engine.seed = settings.seed;
    return kGoOn;
}

}  // namespace kvrsim
