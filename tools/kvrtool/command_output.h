// Where a command's result goes: standard output, or a file given with -o
// ("-" also means standard output).
#pragma once

#include <string>

namespace kvrtool {

// True when `output` names standard output: not given, or "-".
bool isStandardOutput(const std::string& output);

// Writes `bytes` to standard output or, through a temporary file renamed over
// it once complete, to the file `output`. On failure prints
// "kvrtool COMMAND: reason" on stderr and returns false.
bool writeCommandOutput(const char* command, const std::string& output, const std::string& bytes);

}  // namespace kvrtool
