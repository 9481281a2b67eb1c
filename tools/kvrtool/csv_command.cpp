// kvrtool csv: a log chart file as CSV, each stored digit read back against
// the channel ranges the log chart has after opening that log.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

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
