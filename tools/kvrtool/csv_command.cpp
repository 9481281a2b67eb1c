// kvrtool csv: a log chart file as CSV, each stored digit read back against
// the channel ranges the log chart has after opening that log.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "command_output.h"
#include "commands.h"
#include "csv_rows.h"
#include "dashboard/dashboard_core.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/link/memory_serial_port.h"
#include "dashboard/logging/trend_file.h"

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
    core.session.valuesSource = "pcdisk";
    core.openedLogFile = kvl;
    core.valuesFileName = kvv;
    core.session.valuesText = file.valuesText;
    if (core.session.valuesText.size() >= 2000) core.fillSheets();
    if (core.out.sheetFills == 0)
        std::fprintf(stderr,
                     "kvrtool csv: note: %s holds no values image that can be decoded; design ranges used\n",
                     kvv.c_str());
    return true;
}

// Reads the log chart file, refusing bytes that are not one: every record's
// time stamp must be a separator or a plausible date. A partial record at the
// end (a log cut short) is left out with one warning.
bool readLogChartFile(const std::string& kvl, kvr::TrendStore& store) {
    std::size_t tail = 0;
    if (const int err = kvr::appendTrendFile(kvl, store, &tail)) {
        std::fprintf(stderr, "kvrtool csv: cannot read %s: %s\n", kvl.c_str(), std::strerror(err));
        return false;
    }
    if (store.count() == 0 && tail > 0) {
        std::fprintf(stderr,
                     "kvrtool csv: %s is not a log chart file: %zu bytes, less than one %zu-byte record\n",
                     kvl.c_str(), tail, kvr::kTrendRecordBytes);
        return false;
    }
    for (int i = 0; i < store.count(); ++i) {
        const double time = store.at(i).time;
        if (kvr::isLogChartTime(time)) continue;
        std::fprintf(
            stderr,
            "kvrtool csv: %s is not a log chart file: record %d (byte %zu) has the time stamp %.17g, "
            "neither a separator nor a date from 1980 to 2100\n",
            kvl.c_str(), i + 1, static_cast<std::size_t>(i) * kvr::kTrendRecordBytes, time);
        return false;
    }
    if (tail > 0)
        std::fprintf(stderr,
                     "kvrtool csv: warning: %s ends in a cut-short record (%zu of %zu bytes), left out; "
                     "the %d whole records before it are read\n",
                     kvl.c_str(), tail, kvr::kTrendRecordBytes, store.count());
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
    if (!readLogChartFile(kvl, store)) return 1;

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
    kvr::TSignalSettings channels[8];
    core.chartLog.copyChannels(channels);
    std::string text = csvHeaderRow(channels);
    for (const kvr::TrendRecord& r : store.records()) text += csvRecordRow(r, channels);

    return writeCommandOutput("csv", output, text) ? 0 : 1;
}

}  // namespace kvrtool
