// The logs kvrtool reads as tables: a full-rate data log (.msl), or a log
// chart file (.KVL) read back on the channel ranges its values file (.KVV)
// gives, with the markers of the data log beside it when there is one.
#pragma once

#include <memory>
#include <string>

#include "dashboard/datalog/log_table.h"

namespace kvrtool {

struct OpenedLog;

// A log ready to be read once. Owns what its reader reads.
class LogSource {
public:
    LogSource();
    ~LogSource();
    LogSource(LogSource&&) noexcept;
    LogSource& operator=(LogSource&&) noexcept;

    kvr::LogReader& reader();

private:
    friend bool openLogSource(const char*, const std::string&, const std::string&, LogSource&);
    std::unique_ptr<OpenedLog> opened_;
};

// Opens `path` by its content: MSL text or a log chart file. `valuesFile`
// names the .KVV of a log chart file (empty: the one beside it). Prints
// "kvrtool COMMAND: reason" and returns false when it cannot; notes (a cut
// last record, design ranges) go to stderr as well.
bool openLogSource(const char* command, const std::string& path, const std::string& valuesFile, LogSource& out);

}  // namespace kvrtool
