#include "dashboard/datalog/log_export.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

#include "dashboard/datalog/csv_writer.h"
#include "dashboard/datalog/data_log_columns.h"
#include "dashboard/datalog/mlg_writer.h"
#include "dashboard/datalog/msl_format.h"

namespace kvr {
namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool digits(const std::string& s, size_t at, size_t n, int& out) {
    if (at + n > s.size()) return false;
    out = 0;
    for (size_t i = at; i < at + n; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

// "YYYY-MM-DDTHH:MM:SS[.fff][Z|±HH:MM]" (a space instead of the T as well).
bool parseIso(const std::string& s, int64_t& unixMs) {
    int y, mo, d, h, mi, sec;
    if (!digits(s, 0, 4, y) || s.size() < 19 || s[4] != '-' || !digits(s, 5, 2, mo) || s[7] != '-' ||
        !digits(s, 8, 2, d) || (s[10] != 'T' && s[10] != ' ') || !digits(s, 11, 2, h) || s[13] != ':' ||
        !digits(s, 14, 2, mi) || s[16] != ':' || !digits(s, 17, 2, sec))
        return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || sec > 60) return false;
    size_t at = 19;
    int ms = 0;
    if (at < s.size() && s[at] == '.') {
        ++at;
        int scale = 100;
        const size_t start = at;
        while (at < s.size() && std::isdigit(static_cast<unsigned char>(s[at]))) {
            ms += (s[at] - '0') * scale;
            scale /= 10;
            ++at;
        }
        if (at == start) return false;
    }
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = sec;
    std::time_t secs;
    if (at == s.size()) {
        t.tm_isdst = -1;
        secs = std::mktime(&t);
    } else {
        int offsetMinutes = 0;
        if (s[at] == 'Z' && at + 1 == s.size()) {
        } else if ((s[at] == '+' || s[at] == '-') && s.size() == at + 6 && s[at + 3] == ':') {
            int oh, om;
            if (!digits(s, at + 1, 2, oh) || !digits(s, at + 4, 2, om)) return false;
            offsetMinutes = (oh * 60 + om) * (s[at] == '-' ? -1 : 1);
        } else {
            return false;
        }
        secs = timegm(&t) - static_cast<std::time_t>(offsetMinutes) * 60;
    }
    unixMs = static_cast<int64_t>(secs) * 1000 + ms;
    return true;
}

// A bound as seconds of this log; false when a wall-clock bound meets a log
// without a start time.
bool resolve(const ExportBound& b, const LogHeader& h, std::optional<double>& seconds) {
    if (b.seconds) seconds = b.seconds;
    if (b.unixMs) {
        if (h.startUnixMs == 0) return false;
        seconds = static_cast<double>(*b.unixMs - h.startUnixMs) / 1000.0;
    }
    return true;
}

std::unique_ptr<LogWriter> writerFor(ExportFormat format, std::FILE* out) {
    switch (format) {
    case ExportFormat::Msl: return std::make_unique<MslWriter>(out);
    case ExportFormat::Mlg: return std::make_unique<MlgWriter>(out);
    case ExportFormat::Csv: return std::make_unique<CsvWriter>(out);
    }
    return nullptr;
}

// Copies the items in range from `in` to `out` (either may be absent: no
// writer gathers statistics only).
ExportResult copyItems(LogReader& in, LogWriter* out, const ExportOptions& options) {
    ExportResult result;
    LogHeader header = in.header();
    restoreDataLogStyles(header);
    std::optional<double> from, to;
    if (!resolve(options.from, header, from) || !resolve(options.to, header, to)) {
        result.error = "the log has no start date, so a date and time cannot be placed in it: give seconds";
        return result;
    }
    if (from && to && *from > *to) {
        result.error = "--from is after --to";
        return result;
    }
    if (out && !out->begin(header)) {
        result.error = std::strerror(errno);
        return result;
    }
    if (options.stats) options.stats->begin(header);
    // Times are compared to the millisecond the logs keep.
    auto inRange = [&](double s) {
        return (!from || s >= *from - 0.0005) && (!to || s <= *to + 0.0005);
    };
    LogItem item;
    int markerIndex = -1;
    bool anyRow = false;
    while (in.next(item)) {
        if (item.kind == LogItem::Marker) {
            ++markerIndex;
            if (!inRange(item.marker.seconds) || (from && !anyRow)) continue;
            if (markerIndex < static_cast<int>(options.markerTexts.size()))
                item.marker.text = options.markerTexts[static_cast<size_t>(markerIndex)];
            if (out && !out->marker(item.marker)) break;
            ++result.markers;
            continue;
        }
        const double s = item.row.values.empty() ? 0 : item.row.values[0];
        if (to && s > *to + 0.0005) {
            // A marker may follow the last row in range; anything later goes.
            continue;
        }
        if (!inRange(s)) continue;
        if (item.row.separator && !anyRow) continue;  // no break before the first row
        if (out && !out->row(item.row)) break;
        anyRow = true;
        if (item.row.separator) continue;
        if (options.stats) options.stats->add(item.row);
        if (++result.rows % 65536 == 0 && options.progress) options.progress(result.rows);
    }
    if (!in.error().empty()) {
        result.error = in.error();
        return result;
    }
    if (out && !out->finish()) {
        result.error = std::strerror(errno ? errno : EIO);
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace

std::optional<ExportFormat> exportFormatNamed(const std::string& name) {
    const std::string n = lower(name);
    if (n == "msl") return ExportFormat::Msl;
    if (n == "mlg") return ExportFormat::Mlg;
    if (n == "csv") return ExportFormat::Csv;
    return std::nullopt;
}

std::optional<ExportFormat> exportFormatOfPath(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::nullopt;
    return exportFormatNamed(path.substr(dot + 1));
}

const char* exportFormatName(ExportFormat format) {
    switch (format) {
    case ExportFormat::Msl: return "msl";
    case ExportFormat::Mlg: return "mlg";
    case ExportFormat::Csv: return "csv";
    }
    return "";
}

bool parseExportBound(const std::string& text, ExportBound& bound) {
    bound = {};
    if (text.empty()) return false;
    char* end = nullptr;
    const double s = std::strtod(text.c_str(), &end);
    if (*end == '\0' && std::isfinite(s) && s >= 0 && text.find_first_of("eExXnN") == std::string::npos) {
        bound.seconds = s;
        return true;
    }
    int64_t ms = 0;
    if (!parseIso(text, ms)) return false;
    bound.unixMs = ms;
    return true;
}

ExportResult exportLog(LogReader& in, const std::string& outPath, ExportFormat format, const ExportOptions& options) {
    if (outPath == "-") {
        if (format == ExportFormat::Mlg) {
            ExportResult r;
            r.error = "MLG is binary: give a file name, not -";
            return r;
        }
        std::unique_ptr<LogWriter> writer = writerFor(format, stdout);
        ExportResult r = copyItems(in, writer.get(), options);
        if (r.ok && std::fflush(stdout) != 0) {
            r.ok = false;
            r.error = std::strerror(errno);
        }
        if (!r.ok && r.error == std::strerror(errno)) r.error = "cannot write to standard output: " + r.error;
        return r;
    }
    ExportResult result;
    const std::string temporary = outPath + ".exporting-" + std::to_string(::getpid());
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out) {
        result.error = outPath + ": " + std::strerror(errno);
        return result;
    }
    {
        std::unique_ptr<LogWriter> writer = writerFor(format, out);
        result = copyItems(in, writer.get(), options);
    }
    if (result.ok && (std::fflush(out) != 0 || ::fsync(::fileno(out)) != 0)) {
        result.ok = false;
        result.error = outPath + ": " + std::strerror(errno);
    }
    if (std::fclose(out) != 0 && result.ok) {
        result.ok = false;
        result.error = outPath + ": " + std::strerror(errno);
    }
    if (result.ok && ::rename(temporary.c_str(), outPath.c_str()) != 0) {
        result.ok = false;
        result.error = outPath + ": " + std::strerror(errno);
    }
    if (!result.ok) ::unlink(temporary.c_str());
    return result;
}

ExportResult collectStats(LogReader& in, const ExportOptions& options, LogStats& stats) {
    ExportOptions o = options;
    o.stats = &stats;
    return copyItems(in, nullptr, o);
}

}  // namespace kvr
