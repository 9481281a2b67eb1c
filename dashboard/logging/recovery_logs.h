// Recovery logs: while the window records, its samples also go to a log chart
// file under the user's state folder, with a values file beside it. A run that
// ends normally removes them; one that crashes leaves them for the next start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvr {

// $XDG_STATE_HOME/kvrdash, or ~/.local/state/kvrdash; empty when neither
// XDG_STATE_HOME nor HOME is set.
std::string defaultRecoveryDirectory();

// Creates the folder (and its parents) with mode 0700 where missing.
bool makeRecoveryDirectory(const std::string& dir, std::string& error);

// A new recovery log's chart file name in `dir`, unique to this run:
// "log-YYYYMMDD-HHMMSS-PID.KVL"; its values file is the same name with .KVV.
std::string newRecoveryLogName(const std::string& dir);

// The full-rate data log that goes with a chart file: the same name with
// .msl in place of the extension.
std::string dataLogNameFor(const std::string& chartFile);

// A recovery log that no running program holds.
struct LeftLog {
    std::string chartFile;  // .KVL
    int64_t dataLogRows = -1;  // rows of the data log beside it; -1: none
    int records = 0;        // whole records in it
    double firstTime = 0;   // time stamps of the first and last sample (0: none)
    double lastTime = 0;
};

// The recovery logs in `dir` with at least one record whose writer has gone,
// newest first. Empty ones left behind are deleted.
std::vector<LeftLog> findLeftLogs(const std::string& dir);

// A log's length as every question says it: "45 s", "1 min 31 s",
// "2 h 05 min".
std::string logDurationText(double seconds);

// The time the records first..last (store indexes) span, separators passed
// over: from the first sample to the last, in seconds.
double recordSpanSeconds(const std::vector<double>& sampleTimes);

// The question put to the user about a left log.
std::string leftLogQuestion(const LeftLog& log);

// Deletes a chart file and its values file and data log beside it.
void removeLogPair(const std::string& chartFile);

}  // namespace kvr
