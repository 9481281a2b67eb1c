// kvrtool csv: a log chart file as CSV, each stored digit read back against
// the channel ranges the log chart has after opening that log.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "csv_rows.h"
#include "dashboard/dashboard_core.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/memory_serial_port.h"
#include "widgets/model/trend_file.h"

namespace kvrtool {
namespace {

// Decodes the companion's image as opening the log does: only a line 1 of
// 2000 characters or more is decoded; otherwise the design ranges stay.
// False only when the file cannot be read.
bool applyValuesFile(kvr::DashboardCore& core, const std::string& kvl, const std::string& kvv) {
    kvr::ValuesFile file;
    std::string error;
    if (!kvr::readValuesFile(kvv, file, error)) {
        std::fprintf(stderr, "kvrtool csv: %s\n", error.c_str());
        return false;
    }
    core.ValuesSource = "pcdisk";
    core.OpenedLogFile = kvl;
    core.ValuesFileName = kvv;
    core.ValuesText = file.valuesText;
    if (core.ValuesText.size() >= 2000) core.FillParameterSheets();
    if (core.out.sheetFills == 0)
        std::fprintf(stderr,
                     "kvrtool csv: note: %s holds no values image that can be decoded; design ranges used\n",
                     kvv.c_str());
    return true;
}

}  // namespace

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

    kvr::TrendStore store;
    if (const int err = kvr::appendTrendFile(kvl, store)) {
        std::fprintf(stderr, "kvrtool csv: cannot read %s: %s\n", kvl.c_str(), std::strerror(err));
        return 1;
    }

    // A fresh program's log chart, then the log's image decoded onto it.
    kvr::MemorySerialPort noPort;
    kvr::DashboardCore core(noPort);
    if (kvv.empty()) kvv = kvr::findCompanion(kvl);
    if (kvv.empty()) {
        std::fprintf(stderr, "kvrtool csv: note: no values file beside %s; design ranges used\n",
                     kvl.c_str());
    } else if (!applyValuesFile(core, kvl, kvv)) {
        return 1;
    }
    std::string text = csvHeaderRow(core.chartChannels);
    for (const kvr::TrendRecord& r : store.records()) text += csvRecordRow(r, core.chartChannels);

    if (!output.empty()) {
        std::string error;
        if (!kvr::writeFileReplacing(output, text, error)) {
            std::fprintf(stderr, "kvrtool csv: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "kvrtool csv: cannot write to standard output: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

}  // namespace kvrtool
