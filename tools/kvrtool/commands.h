// The commands of kvrtool. Each takes its own arguments (after the command
// name) and returns the exit status: 0 success, 1 failure (one line on
// stderr), 2 bad usage.
#pragma once

#include <string>
#include <vector>

namespace kvrtool {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const Args& args);
};

// Bad usage: prints the named command's usage line to stderr and returns 2.
int usageError(const char* name, const std::string& why);

int runPorts(const Args& args);
int runSheets(const Args& args);
int runAsm(const Args& args);
int runPrint(const Args& args);
int runDecode(const Args& args);
int runCsv(const Args& args);
int runLog(const Args& args);
int runExport(const Args& args);
int runStats(const Args& args);
int runTune(const Args& args);

// Every command, in the order `kvrtool --help` lists them.
const std::vector<Command>& commands();

}  // namespace kvrtool
