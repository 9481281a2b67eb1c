// kvrtool csv: a log chart file as CSV, each stored digit read back against
// the channel ranges the log chart has after opening that log. The same
// table as `kvrtool export --format csv`: Time in seconds, the local clock,
// the eight channels as stored, MAP in kPa absolute, a Marker column, and a
// break as a row of empty cells.
#include <cstdio>

#include "commands.h"
#include "dashboard/datalog/log_export.h"
#include "log_sources.h"

namespace kvrtool {

int runCsv(const Args& args) {
    std::string kvl, kvv, output;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--values" || args[i] == "-o") {
            if (i + 1 >= args.size()) return usageError("csv", args[i] + " needs a file name");
            (args[i] == "-o" ? output : kvv) = args[i + 1];
            ++i;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return usageError("csv", "unknown option " + args[i]);
        } else if (kvl.empty()) {
            kvl = args[i];
        } else {
            return usageError("csv", "one log file only");
        }
    }
    if (kvl.empty()) return usageError("csv", "no log file given");

    LogSource source;
    if (!openLogSource("csv", kvl, kvv, source)) return 1;
    const kvr::ExportResult r =
        kvr::exportLog(source.reader(), output.empty() ? "-" : output, kvr::ExportFormat::Csv, {});
    if (!r.ok) {
        std::fprintf(stderr, "kvrtool csv: %s\n", r.error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace kvrtool
