// kvrtool export and kvrtool stats: a data log (.msl) or a log chart file
// (.KVL with its .KVV) written as MSL, MLG or CSV, cut to a time range, and
// the minimum, mean and maximum of each column over that range.
#include <cstdio>
#include <cstring>
#include <optional>

#include "commands.h"
#include "counted.h"
#include "dashboard/datalog/log_export.h"
#include "dashboard/datalog/log_stats.h"
#include "log_sources.h"

namespace kvrtool {
namespace {

struct ExportArgs {
    std::string input, output, values, format;
    std::string from, to;
    bool stats = false;
};

int parse(const char* command, const Args& args, ExportArgs& o, bool exporting) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "-o" || a == "--format" || a == "--from" || a == "--to" || a == "--values";
        if (takesValue) {
            if ((a == "-o" || a == "--format") && !exporting) return usageError(command, "unknown option " + a);
            if (i + 1 >= args.size()) return usageError(command, a + " needs a value");
            const std::string& v = args[++i];
            if (a == "-o") o.output = v;
            else if (a == "--format") o.format = v;
            else if (a == "--from") o.from = v;
            else if (a == "--to") o.to = v;
            else o.values = v;
        } else if (a == "--stats" && exporting) {
            o.stats = true;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            return usageError(command, "unknown option " + a);
        } else if (o.input.empty()) {
            o.input = a;
        } else {
            return usageError(command, "one input file only (" + o.input + " and " + a + " given)");
        }
    }
    if (o.input.empty()) return usageError(command, "no input log given");
    if (exporting && o.output.empty()) return usageError(command, "-o OUT is needed");
    return 0;
}

int parseRange(const char* command, const ExportArgs& a, kvr::ExportOptions& options) {
    if (!a.from.empty() && !kvr::parseExportBound(a.from, options.from))
        return usageError(command, "--from takes seconds from the start or an ISO 8601 time, not '" + a.from + "'");
    if (!a.to.empty() && !kvr::parseExportBound(a.to, options.to))
        return usageError(command, "--to takes seconds from the start or an ISO 8601 time, not '" + a.to + "'");
    return 0;
}

}  // namespace

int runExport(const Args& args) {
    ExportArgs a;
    if (const int r = parse("export", args, a, true)) return r;
    kvr::ExportOptions options;
    if (const int r = parseRange("export", a, options)) return r;
    std::optional<kvr::ExportFormat> format =
        a.format.empty() ? kvr::exportFormatOfPath(a.output) : kvr::exportFormatNamed(a.format);
    if (!format)
        return usageError("export", a.format.empty()
                                        ? "cannot tell the format from '" + a.output + "': give --format msl, mlg or csv"
                                        : "--format takes msl, mlg or csv, not '" + a.format + "'");
    if (a.output == a.input) {
        std::fprintf(stderr, "kvrtool export: the output would replace the input %s\n", a.input.c_str());
        return 1;
    }
    LogSource source;
    if (!openLogSource("export", a.input, a.values, source)) return 1;
    kvr::LogStats stats;
    if (a.stats) options.stats = &stats;
    const kvr::ExportResult r = kvr::exportLog(source.reader(), a.output, *format, options);
    if (!r.ok) {
        std::fprintf(stderr, "kvrtool export: %s; nothing written\n", r.error.c_str());
        return 1;
    }
    if (!source.reader().note().empty())
        std::fprintf(stderr, "kvrtool export: note: %s\n", source.reader().note().c_str());
    std::fprintf(stderr, "kvrtool export: %s and %s written to %s (%s)\n", counted(r.rows, "row").c_str(),
                 counted(r.markers, "marker").c_str(), a.output.c_str(), kvr::exportFormatName(*format));
    if (a.stats) std::fputs(kvr::statsText(source.reader().header(), stats).c_str(), a.output == "-" ? stderr : stdout);
    return 0;
}

int runStats(const Args& args) {
    ExportArgs a;
    if (const int r = parse("stats", args, a, false)) return r;
    kvr::ExportOptions options;
    if (const int r = parseRange("stats", a, options)) return r;
    LogSource source;
    if (!openLogSource("stats", a.input, a.values, source)) return 1;
    kvr::LogStats stats;
    const kvr::ExportResult r = kvr::collectStats(source.reader(), options, stats);
    if (!r.ok) {
        std::fprintf(stderr, "kvrtool stats: %s\n", r.error.c_str());
        return 1;
    }
    if (!source.reader().note().empty())
        std::fprintf(stderr, "kvrtool stats: note: %s\n", source.reader().note().c_str());
    std::fputs(kvr::statsText(source.reader().header(), stats).c_str(), stdout);
    return 0;
}

}  // namespace kvrtool
