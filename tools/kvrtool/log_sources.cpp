#include "log_sources.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "counted.h"
#include "dashboard/dashboard_core.h"
#include "dashboard/datalog/chart_store_reader.h"
#include "dashboard/datalog/msl_format.h"
#include "dashboard/link/memory_serial_port.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/logging/recovery_logs.h"
#include "dashboard/logging/trend_file.h"
#include "dashboard/values/values_image_check.h"
#include "values_input.h"

namespace kvrtool {

struct OpenedLog {
    // A log chart file: a fresh dashboard's chart log with the log opened in
    // it and its image decoded onto it, as the window opens a log.
    kvr::MemorySerialPort noPort;
    kvr::DashboardCore core{noPort};
    kvr::TSignalSettings channels[8];
    std::unique_ptr<kvr::LogReader> reader;
};

LogSource::LogSource() = default;
LogSource::~LogSource() = default;
LogSource::LogSource(LogSource&&) noexcept = default;
LogSource& LogSource::operator=(LogSource&&) noexcept = default;

kvr::LogReader& LogSource::reader() { return *opened_->reader; }

namespace {

// A data log is named .msl, or is text that begins with a quote or its
// Time column; anything else is taken for a log chart file.
bool looksLikeDataLog(const std::string& path) {
    if (path.size() > 4 && strcasecmp(path.c_str() + path.size() - 4, ".msl") == 0) return true;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char head[8] = {};
    const size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    return (n >= 1 && head[0] == '"') || (n >= 4 && std::memcmp(head, "Time", 4) == 0);
}

// Reads the log chart file, refusing bytes that are not one: every record's
// time stamp must be a separator or a plausible date. A partial record at the
// end (a log cut short) is left out with one warning.
bool checkLogChartFile(const char* command, const std::string& kvl) {
    kvr::TrendStore store;
    std::size_t tail = 0;
    if (const int err = kvr::appendTrendFile(kvl, store, &tail)) {
        std::fprintf(stderr, "kvrtool %s: cannot read %s: %s\n", command, kvl.c_str(), std::strerror(err));
        return false;
    }
    if (store.count() == 0 && tail > 0) {
        std::fprintf(stderr, "kvrtool %s: %s is not a log chart file: %zu bytes, less than one %zu-byte record\n",
                     command, kvl.c_str(), tail, kvr::kTrendRecordBytes);
        return false;
    }
    for (int i = 0; i < store.count(); ++i) {
        const double time = store.at(i).time;
        if (kvr::isLogChartTime(time)) continue;
        std::fprintf(stderr,
                     "kvrtool %s: %s is not a log chart file: record %d (byte %zu) has the time stamp %.17g, "
                     "neither a separator nor a date from 1980 to 2100\n",
                     command, kvl.c_str(), i + 1, static_cast<std::size_t>(i) * kvr::kTrendRecordBytes, time);
        return false;
    }
    if (tail > 0)
        std::fprintf(stderr,
                     "kvrtool %s: warning: %s ends in a cut-short record (%zu of %zu bytes), left out; "
                     "the %s before it %s read\n",
                     command, kvl.c_str(), tail, kvr::kTrendRecordBytes,
                     counted(store.count(), "whole record").c_str(), store.count() == 1 ? "is" : "are");
    return true;
}

// Decodes the values file's image as opening the log does: only a line 1 of
// kShortestDecodedImage characters or more is decoded. A companion found
// beside the log that cannot be decoded leaves the design ranges, as in the
// window; a file the user named must be a values file that decodes.
bool applyValuesFile(const char* command, kvr::DashboardCore& core, const std::string& kvl,
                     const std::string& kvv, bool named) {
    kvr::ValuesFile file;
    std::string error;
    if (named) {
        if (!readValuesImage(command, kvv, file)) return false;
    } else if (!kvr::readValuesFile(kvv, file, error)) {
        std::fprintf(stderr, "kvrtool %s: %s\n", command, error.c_str());
        return false;
    }
    core.session.valuesSource = "pcdisk";
    core.openedLogFile = kvl;
    core.valuesFileName = kvv;
    core.session.valuesText = file.valuesText;
    if (core.session.valuesText.size() >= kvr::kShortestDecodedImage) core.fillSheets();
    if (core.out.sheetFills == 0 && named) {
        std::fprintf(stderr, "kvrtool %s: %s holds no values image that can be decoded\n", command,
                     kvv.c_str());
        return false;
    }
    if (core.out.sheetFills == 0)
        std::fprintf(stderr,
                     "kvrtool %s: note: %s holds no values image that can be decoded; design ranges used\n", command,
                     kvv.c_str());
    return true;
}

bool openChartFile(const char* command, const std::string& kvl, std::string kvv, OpenedLog& log) {
    if (!checkLogChartFile(command, kvl)) return false;
    kvr::DashboardCore& core = log.core;
    const bool named = !kvv.empty();
    if (!named) kvv = kvr::findCompanion(kvl);
    if (kvv.empty())
        std::fprintf(stderr, "kvrtool %s: note: no values file beside %s; design ranges used\n", command, kvl.c_str());
    else if (!applyValuesFile(command, core, kvl, kvv, named))
        return false;
    core.chartLog.open(kvl);
    // The markers are kept in the data log beside the chart file; without
    // one, each break gets a marker of its own.
    const std::string dataLog = kvr::dataLogNameFor(kvl);
    const bool withDataLog = dataLog != kvl && kvr::fileExists(dataLog);
    core.messages.lines.clear();  // the decode's text-log lines are the window's business
    if (withDataLog) core.loadMarkersFrom(dataLog);
    // What reading the data log had to say (a cut last row, a damaged file).
    for (const auto& line : core.messages.lines) std::fprintf(stderr, "kvrtool %s: %s\n", command, line.c_str());
    core.chartLog.copyChannels(log.channels);
    std::vector<kvr::StoreMarker> markers;
    for (const kvr::ChartMarker& m : core.chartLog.markers()) markers.push_back({m.record, m.text});
    log.reader = std::make_unique<kvr::ChartStoreReader>(
        core.chartLog.store(), log.channels, kvr::mapFormOf(core.facts.config5Flags, core.facts.mapSensorCode),
        std::move(markers), !withDataLog);
    return true;
}

}  // namespace

bool openLogSource(const char* command, const std::string& path, const std::string& valuesFile, LogSource& out) {
    auto log = std::make_unique<OpenedLog>();
    if (looksLikeDataLog(path)) {
        auto reader = std::make_unique<kvr::MslReader>();
        std::string error;
        if (!reader->open(path, error)) {
            if (error.compare(0, path.size(), path) != 0) error = path + ": " + error;
            std::fprintf(stderr, "kvrtool %s: %s\n", command, error.c_str());
            return false;
        }
        log->reader = std::move(reader);
    } else if (!openChartFile(command, path, valuesFile, *log)) {
        return false;
    }
    out.opened_ = std::move(log);
    return true;
}

}  // namespace kvrtool
