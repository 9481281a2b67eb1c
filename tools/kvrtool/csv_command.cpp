// kvrtool csv: a log chart file as CSV, each stored digit read back against
// the channel ranges the log chart has after opening that log.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "command_output.h"
#include "commands.h"
#include "dashboard/dashboard_core.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/memory_serial_port.h"
#include "widgets/model/trend_file.h"
#include "widgets/model/trend_recorder.h"
#include "widgets/model/trend_time.h"

namespace kvrtool {
namespace {

// Time stamps from 0001-01-01 to 9999-12-31 are written as dates; anything
// else in the file (a damaged record) is written as its raw day number.
constexpr double kFirstDay = -693593.0;
constexpr double kLastDay = 2958466.0;

// Local date and time to the millisecond, as stored (the file has no zone).
std::string timeColumn(double days) {
    char text[40];
    if (!std::isfinite(days) || days < kFirstDay || days >= kLastDay) {
        std::snprintf(text, sizeof text, "%.17g", days);
        return text;
    }
    const kvr::DayTime t = kvr::splitDays(days);
    const int ms = t.msOfDay;
    std::snprintf(text, sizeof text, "T%02d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                  ms % 1000);
    return kvr::dateText(days) + text;
}

// The shortest text that reads back as the same float.
std::string valueColumn(float v) {
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, v);
    return std::string(text, r.ptr);
}

std::string csvField(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string quoted = "\"";
    for (char c : s) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

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
    const kvr::TSignalSettings* channels = core.chartChannels;

    std::string text = "time";
    for (int i = 0; i < 8; ++i)
        text += "," + csvField(channels[i].ValueUnit());
    text += "\n";
    for (const kvr::TrendRecord& r : store.records()) {
        text += r.isSeparator() ? std::string("separator") : timeColumn(r.time);
        for (int i = 0; i < 8; ++i)
            text += "," + valueColumn(kvr::readBackValue(channels[i], r.digits[i]));
        text += "\n";
    }

    return writeCommandOutput("csv", output, text) ? 0 : 1;
}

}  // namespace kvrtool
