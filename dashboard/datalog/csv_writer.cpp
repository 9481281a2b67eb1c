#include "dashboard/datalog/csv_writer.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <ctime>

#include "dashboard/datalog/log_text.h"

namespace kvr {

namespace {

constexpr int kTimeDigits = 3;

std::string csvCell(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string headerCell(const LogColumn& column) {
    if (column.style == ColumnStyle::UnixMs) return column.name + " (local time)";
    if (column.unit.empty()) return column.name;
    return column.name + " (" + column.unit + ")";
}

void appendTwoDigits(std::string& out, int v) {
    out += static_cast<char>('0' + v / 10 % 10);
    out += static_cast<char>('0' + v % 10);
}

// "2026-12-08T16:27:44.123" in the local time zone; the plain number when
// the time cannot be shown as a date.
void appendLocalTime(std::string& out, double unixMs) {
    // A clock millions of years away is damaged data: kept as its number.
    if (std::fabs(unixMs) > 1e17) {
        appendFixed(out, unixMs, 0);
        return;
    }
    const int64_t ms = std::llround(unixMs);
    const int64_t seconds = ms / 1000 - (ms % 1000 < 0);
    const int msOfSecond = static_cast<int>(ms - seconds * 1000);
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) {
        appendFixed(out, unixMs, 0);
        return;
    }
    char year[16];
    const auto r = std::to_chars(year, year + sizeof year, local.tm_year + 1900);
    out.append(year, r.ptr);
    out += '-';
    appendTwoDigits(out, local.tm_mon + 1);
    out += '-';
    appendTwoDigits(out, local.tm_mday);
    out += 'T';
    appendTwoDigits(out, local.tm_hour);
    out += ':';
    appendTwoDigits(out, local.tm_min);
    out += ':';
    appendTwoDigits(out, local.tm_sec);
    out += '.';
    out += static_cast<char>('0' + msOfSecond / 100);
    appendTwoDigits(out, msOfSecond % 100);
}

// "0x86": at least two upper-case hex digits; a negative value as a number.
void appendHex(std::string& out, double value) {
    if (value < 0 || value > 1e18) {
        appendFixed(out, value, 0);
        return;
    }
    char digits[24];
    const auto r =
        std::to_chars(digits, digits + sizeof digits, static_cast<uint64_t>(std::llround(value)), 16);
    out += "0x";
    if (r.ptr - digits < 2) out += '0';
    for (const char* c = digits; c < r.ptr; ++c)
        out += static_cast<char>(*c >= 'a' ? *c - 'a' + 'A' : *c);
}

void appendValue(std::string& out, double value, const LogColumn& column) {
    if (!std::isfinite(value)) return;
    switch (column.style) {
        case ColumnStyle::Number:
            appendFixed(out, value, column.digits);
            break;
        case ColumnStyle::Hex:
            appendHex(out, value);
            break;
        case ColumnStyle::OnOff:
            out += value != 0 ? '1' : '0';
            break;
        case ColumnStyle::UnixMs:
            appendLocalTime(out, value);
            break;
    }
}

}  // namespace

bool CsvWriter::begin(const LogHeader& header) {
    header_ = header;
    begun_ = true;
    holding_ = false;
    std::string line;
    for (const LogColumn& column : header_.columns)
        line += csvCell(headerCell(column)) + ',';
    line += "Marker\n";
    return out_.put(line);
}

bool CsvWriter::writeHeld() {
    if (!holding_) return true;
    holding_ = false;
    held_ += csvCell(markers_);
    held_ += '\n';
    markers_.clear();
    return out_.put(held_);
}

bool CsvWriter::row(const LogRow& row) {
    if (!begun_ || out_.failed() || !writeHeld()) return false;
    held_.clear();
    for (std::size_t i = 0; i < header_.columns.size(); ++i) {
        const double v = i < row.values.size() ? row.values[i] : kMissing;
        if (i == 0)
            appendFixed(held_, v, kTimeDigits);
        else if (!row.separator)
            appendValue(held_, v, header_.columns[i]);
        held_ += ',';
    }
    holding_ = true;
    return true;
}

bool CsvWriter::marker(const LogMarker& marker) {
    if (!begun_ || out_.failed()) return false;
    if (!holding_) {
        held_.clear();
        if (!header_.columns.empty()) {
            appendFixed(held_, marker.seconds, kTimeDigits);
            held_.append(header_.columns.size(), ',');
        }
        holding_ = true;
    }
    if (!markers_.empty()) markers_ += "; ";
    markers_ += marker.text;
    return true;
}

bool CsvWriter::finish() {
    if (!begun_ || out_.failed() || !writeHeld()) return false;
    return out_.flush();
}

}  // namespace kvr
