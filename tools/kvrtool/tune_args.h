// The command line of kvrtool tune, read into the analysis's options.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "dashboard/analysis/tune_options.h"

namespace kvrtool {

struct TuneArgs {
    std::string values;                // --values RAN.KVV
    std::vector<std::string> logs;     // one or more
    std::string target;                // --target AFR|FILE; empty: the standard target
    std::optional<double> flatTarget;  // when --target is a number
    std::string output;                // -o SUGGESTED.KVV
    std::string report;                // --report REPORT.pdf
    bool json = false;
    // --warm TEMP: the number, and 'F', 'C' or 0 (the logs' own unit).
    std::optional<double> warm;
    char warmUnit = 0;
    kvr::TuneOptions options;
};

// Reads the arguments after "tune". 0 when they make sense; otherwise the
// usage error's status (2), the reason already on stderr.
int parseTuneArgs(const Args& args, TuneArgs& out);

// The warm limit in `logUnit` ('F' or 'C') from --warm, when one was given.
std::optional<double> warmLimitInLogUnit(const TuneArgs& a, char logUnit);

}  // namespace kvrtool
