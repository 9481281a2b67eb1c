// Reading a values file a command was given: the file read, and line 1 judged as every command
// judges it, so the same wrong file gets the same words from each.
#pragma once

#include <string>

#include "dashboard/logging/log_files.h"

namespace kvrtool {

// Reads `path` into `out`. False, with "kvrtool COMMAND: reason" on stderr, when the file cannot
// be read or its line 1 is not a values image the dashboard would decode.
bool readValuesImage(const char* command, const std::string& path, kvr::ValuesFile& out);

}  // namespace kvrtool
