// Export: a log read item by item into a file of another format, cut to a
// time range, written under a temporary name and renamed into place only
// when complete, so a failed or refused export leaves nothing half-written.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dashboard/datalog/log_stats.h"
#include "dashboard/datalog/log_table.h"

namespace kvr {

enum class ExportFormat { Msl, Mlg, Csv };

std::optional<ExportFormat> exportFormatNamed(const std::string& name);  // "msl", "mlg", "csv"
std::optional<ExportFormat> exportFormatOfPath(const std::string& path);  // by the extension
const char* exportFormatName(ExportFormat format);

// A bound of the range: seconds from the log's start, or a wall-clock time.
struct ExportBound {
    std::optional<double> seconds;
    std::optional<int64_t> unixMs;
};

// Reads "12.5" (seconds from the start) or an ISO 8601 date and time,
// "2026-12-08T16:27:44", with optional fraction and zone ("Z", "+01:00");
// without a zone the time is local. False for anything else.
bool parseExportBound(const std::string& text, ExportBound& bound);

struct ExportOptions {
    ExportBound from, to;  // both empty: the whole log
    // Marker texts by their order in the log, replacing the stored ones (a
    // marker renamed in the window); missing ones keep their text.
    std::vector<std::string> markerTexts;
    // Gets the rows exported (separators left out), when given.
    LogStats* stats = nullptr;
    // Called now and then with the rows written so far.
    std::function<void(int64_t)> progress;
};

struct ExportResult {
    bool ok = false;
    std::string error;
    int64_t rows = 0;
    int markers = 0;
};

// Writes `in` to `outPath` in `format` ("-" writes text formats to standard
// output). Nothing is left at `outPath` unless the whole export succeeded.
ExportResult exportLog(LogReader& in, const std::string& outPath, ExportFormat format, const ExportOptions& options);

// The same without writing a file: only the statistics of the range.
ExportResult collectStats(LogReader& in, const ExportOptions& options, LogStats& stats);

}  // namespace kvr
