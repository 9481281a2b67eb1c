#include "dashboard/datalog/msl_writer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "dashboard/datalog/log_text.h"

namespace kvr {

namespace {

constexpr int kTimeDigits = 3;

// A marker whose time is not finite or further from the start than this
// (about 31,000 years), damaged data, is dated at the start.
constexpr double kFarthestMarkerMs = 1e15;

// Every control character becomes a space: tabs and line breaks would split
// a cell or a line, and readers take a file with any other one for binary.
std::string oneLine(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return s;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace

std::string mslHeaderText(const LogHeader& h) {
    std::string text;
    for (const std::string& line : h.info) {
        // The writer's own date lines replace any the caller kept as text.
        if (h.startUnixMs != 0 && (startsWith(line, kMslCaptureDate) || startsWith(line, kMslTimeZero)))
            continue;
        text += '"' + oneLine(line) + "\"\n";
    }
    if (h.startUnixMs != 0) {
        text += '"' + std::string(kMslCaptureDate) + mslDateText(h.startUnixMs) + "\"\n";
        text += '"' + std::string(kMslTimeZero) + isoUtcText(h.startUnixMs) + "\"\n";
    }
    for (std::size_t i = 0; i < h.columns.size(); ++i)
        text += (i ? "\t" : "") + oneLine(h.columns[i].name);
    text += '\n';
    std::string units;
    for (std::size_t i = 0; i < h.columns.size(); ++i)
        units += (i ? "\t" : "") + oneLine(h.columns[i].unit);
    // A units row that began "MARK " would read as a marker; readers trim
    // the space in front of the first unit.
    if (startsWith(units, kMslMark)) text += ' ';
    text += units + '\n';
    return text;
}

void appendMslRow(std::string& out, const LogRow& row, const std::vector<LogColumn>& columns) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) out += '\t';
        const double v = i < row.values.size() ? row.values[i] : kMissing;
        if (i == 0)
            appendFixed(out, v, kTimeDigits);
        else if (!row.separator)
            appendFixed(out, v, columns[i].style == ColumnStyle::Number ? columns[i].digits : 0);
    }
    out += '\n';
}

std::string mslMarkerLine(int number, const std::string& text, int64_t unixMs) {
    std::string line(kMslMark);
    appendPadded(line, std::max(number, 0), 3);
    line += " - ";
    line += oneLine(text);
    if (unixMs != 0) line += " - " + mslDateText(unixMs);
    line += '\n';
    return line;
}

// ---- MslWriter

bool MslWriter::begin(const LogHeader& header) {
    header_ = header;
    begun_ = true;
    markers_ = 0;
    return out_.put(mslHeaderText(header_));
}

bool MslWriter::row(const LogRow& row) {
    if (!begun_) return false;
    line_.clear();
    appendMslRow(line_, row, header_.columns);
    return out_.put(line_);
}

bool MslWriter::marker(const LogMarker& marker) {
    if (!begun_) return false;
    int64_t unixMs = header_.startUnixMs;  // 0: no date
    const double offsetMs = marker.seconds * 1000;
    if (unixMs != 0 && std::fabs(offsetMs) < kFarthestMarkerMs &&
        std::fabs(static_cast<double>(unixMs)) < kFarthestMarkerMs)
        unixMs += std::llround(offsetMs);
    return out_.put(mslMarkerLine(markers_++, marker.text, unixMs));
}

bool MslWriter::finish() {
    if (out_.failed()) return false;
    return out_.flush();
}

}  // namespace kvr
