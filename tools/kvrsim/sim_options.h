// kvrsim's command line: its options, the help text, and reading them with
// bad usage refused (the reason and a usage line on stderr, exit status 2).
#pragma once

#include <string>

#include "ecu_simulator.h"
#include "fuel_error.h"

namespace kvrsim {

struct SimOptions {
    unsigned baud = 57600;
    std::string link, valuesFile, replayFile, sendLogFile;
    // The image the map drive's fuel need is relative to; empty: the built-in one.
    std::string fuelReferenceFile;
    FuelError fuelError;
    bool fuelOptionGiven = false;  // --fuel-error or --fuel-reference
    double runSeconds = -1;  // until stopped
    // --write-log: the drive's records written straight to this data log,
    // --rate a second for --seconds of simulated time, without a line.
    std::string writeLogFile;
    double writeLogRate = 83.5;
    SimulatorSettings settings;
    EngineSettings engine;
};

// What parseOptions returns when the program should go on and run.
constexpr int kGoOn = -1;

// The command line into `o`: kGoOn, or the exit status (help, version, bad
// usage, an unreadable fuel error file).
int parseOptions(int argc, char** argv, SimOptions& o);

// The reason a file could not be read, from errno; a folder opens and then
// fails to read.
std::string readFailure(const std::string& path);

}  // namespace kvrsim
