#include "dashboard/datalog/msl_format.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

namespace kvr {

namespace {

constexpr int kTimeDigits = 3;
constexpr std::string_view kCaptureDate = "Capture Date: ";
constexpr std::string_view kTimeZero = "Time 0: ";
constexpr std::string_view kMark = "MARK ";

// The reader's buffer, and how long a single line may grow before the file
// is taken to be something other than a log.
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kLongestLine = 16 * 1024 * 1024;
// A file with control characters other than tab and line ends here is binary.
constexpr std::size_t kTextCheckBytes = 4096;
// How many data rows are read ahead at open to learn each column's digits.
constexpr std::size_t kDigitsRows = 16;

constexpr const char* kWeekdays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};  // from 1970-01-01
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct CivilTime {
    int64_t year;
    int month;  // 1..12
    int day;    // 1..31
    int hour, minute, second, ms;
    int weekday;  // index into kWeekdays
};

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = floorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilTime civilFromUnixMs(int64_t unixMs) {
    const int64_t days = floorDiv(unixMs, 86400000);
    const int64_t msOfDay = unixMs - days * 86400000;
    const int64_t z = days + 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    CivilTime t{};
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = yoe + era * 400 + (t.month <= 2);
    t.hour = static_cast<int>(msOfDay / 3600000);
    t.minute = static_cast<int>(msOfDay / 60000 % 60);
    t.second = static_cast<int>(msOfDay / 1000 % 60);
    t.ms = static_cast<int>(msOfDay % 1000);
    t.weekday = static_cast<int>(days - floorDiv(days, 7) * 7);
    return t;
}

void appendPadded(std::string& out, int64_t value, int width) {
    char text[24];
    const auto r = std::to_chars(text, text + sizeof text, value);
    const std::size_t length = static_cast<std::size_t>(r.ptr - text);
    if (value >= 0 && length < static_cast<std::size_t>(width)) out.append(width - length, '0');
    out.append(text, r.ptr);
}

// "2026-12-08T16:27:44.123Z"
std::string isoUtcText(int64_t unixMs) {
    const CivilTime t = civilFromUnixMs(unixMs);
    std::string s;
    appendPadded(s, t.year, 4);
    s += '-';
    appendPadded(s, t.month, 2);
    s += '-';
    appendPadded(s, t.day, 2);
    s += 'T';
    appendPadded(s, t.hour, 2);
    s += ':';
    appendPadded(s, t.minute, 2);
    s += ':';
    appendPadded(s, t.second, 2);
    s += '.';
    appendPadded(s, t.ms, 3);
    s += 'Z';
    return s;
}

// Tabs and line breaks would split a cell or a line.
std::string oneLine(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return s;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> splitTabs(std::string_view line) {
    std::vector<std::string_view> cells;
    for (;;) {
        const std::size_t tab = line.find('\t');
        cells.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return cells;
        line.remove_prefix(tab + 1);
    }
}

bool readInt(std::string_view s, int64_t& value) {
    if (s.empty()) return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// "Tue Dec 08 16:27:44 UTC 2026" (any zone name when zoneMustBeUtc is false)
bool parseMslDate(std::string_view text, bool zoneMustBeUtc, int64_t& unixMs) {
    std::vector<std::string_view> words;
    for (std::string_view rest = trimmed(text); !rest.empty(); rest = trimmed(rest)) {
        const std::size_t space = rest.find(' ');
        words.push_back(rest.substr(0, space));
        if (space == std::string_view::npos) break;
        rest.remove_prefix(space);
    }
    if (words.size() != 6 || words[0].size() != 3 || words[3].size() != 8) return false;
    const auto month = std::find(std::begin(kMonths), std::end(kMonths), words[1]);
    if (month == std::end(kMonths)) return false;
    const std::string_view clock = words[3];
    int64_t day, hour, minute, second, year;
    if (clock[2] != ':' || clock[5] != ':' || !readInt(words[2], day) || !readInt(clock.substr(0, 2), hour) ||
        !readInt(clock.substr(3, 2), minute) || !readInt(clock.substr(6, 2), second) ||
        !readInt(words[5], year) || words[5].size() != 4)
        return false;
    if (day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return false;
    if (zoneMustBeUtc && words[4] != "UTC" && words[4] != "GMT") return false;
    const int m = static_cast<int>(month - std::begin(kMonths)) + 1;
    unixMs =
        (daysFromCivil(year, m, static_cast<int>(day)) * 86400 + hour * 3600 + minute * 60 + second) * 1000;
    return true;
}

// "2026-12-08T16:27:44.123Z"; the fraction is optional.
bool parseIsoUtc(std::string_view s, int64_t& unixMs) {
    if (s.size() < 20 || s.back() != 'Z' || s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' ||
        s[16] != ':')
        return false;
    int64_t year, month, day, hour, minute, second, ms = 0;
    if (!readInt(s.substr(0, 4), year) || !readInt(s.substr(5, 2), month) || !readInt(s.substr(8, 2), day) ||
        !readInt(s.substr(11, 2), hour) || !readInt(s.substr(14, 2), minute) ||
        !readInt(s.substr(17, 2), second))
        return false;
    const std::string_view fraction = s.substr(19, s.size() - 20);
    if (!fraction.empty()) {
        if (fraction[0] != '.' || fraction.size() != 4 || !readInt(fraction.substr(1), ms)) return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 || ms < 0)
        return false;
    unixMs = (daysFromCivil(year, static_cast<int>(month), static_cast<int>(day)) * 86400 + hour * 3600 +
              minute * 60 + second) *
                 1000 +
             ms;
    return true;
}

// The marker text from what follows "MARK ": without the number and without
// a trailing date.
std::string markerText(std::string_view rest) {
    std::size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
        ++digits;
    if (digits > 0) {
        const std::string_view after = rest.substr(digits);
        if (startsWith(after, " - "))
            rest = after.substr(3);
        else if (trimmed(after).empty() || trimmed(after) == "-")
            rest = {};
    }
    const std::size_t dash = rest.rfind(" - ");
    int64_t unused;
    if (dash != std::string_view::npos && parseMslDate(rest.substr(dash + 3), false, unused))
        rest = rest.substr(0, dash);
    return std::string(rest);
}

// A data row starts with its time; the units row does not.
bool startsWithNumber(std::string_view line) {
    const std::string_view first = trimmed(line.substr(0, line.find('\t')));
    double v;
    const auto r = std::from_chars(first.data(), first.data() + first.size(), v);
    return !first.empty() && r.ec == std::errc() && r.ptr == first.data() + first.size();
}

// Raises each column's digits to the number after the point in `line`.
void learnDigits(std::string_view line, std::vector<int>& digits) {
    const std::vector<std::string_view> cells = splitTabs(line);
    for (std::size_t i = 0; i < cells.size() && i < digits.size(); ++i) {
        const std::string_view cell = trimmed(cells[i]);
        const std::size_t point = cell.find('.');
        if (point == std::string_view::npos) continue;
        const std::size_t exponent = cell.find_first_of("eE", point);
        const std::size_t end = exponent == std::string_view::npos ? cell.size() : exponent;
        digits[i] = std::max(digits[i], static_cast<int>(end - point - 1));
    }
}

bool isTextByte(unsigned char c) { return c >= 0x20 || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

void appendFixed(std::string& out, double value, int digits) {
    if (!std::isfinite(value)) return;
    // The fixed text of the largest double is 309 digits before the point.
    char text[352];
    std::to_chars_result r;
    if (digits >= 0)
        r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, std::min(digits, 17));
    else if (std::fabs(value) <= FLT_MAX)
        r = std::to_chars(text, text + sizeof text, static_cast<float>(value), std::chars_format::fixed);
    else
        r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (r.ec != std::errc()) return;
    const char* start = text;
    if (text[0] == '-' && std::all_of(text + 1, r.ptr, [](char c) { return c == '0' || c == '.'; })) ++start;
    out.append(start, static_cast<std::size_t>(r.ptr - start));
}

std::string mslDateText(int64_t unixMs) {
    const CivilTime t = civilFromUnixMs(unixMs);
    std::string s = kWeekdays[t.weekday];
    s += ' ';
    s += kMonths[t.month - 1];
    s += ' ';
    appendPadded(s, t.day, 2);
    s += ' ';
    appendPadded(s, t.hour, 2);
    s += ':';
    appendPadded(s, t.minute, 2);
    s += ':';
    appendPadded(s, t.second, 2);
    s += " UTC ";
    appendPadded(s, t.year, 4);
    return s;
}

std::string mslHeaderText(const LogHeader& h) {
    std::string text;
    for (const std::string& line : h.info) {
        // The writer's own date lines replace any the caller kept as text.
        if (h.startUnixMs != 0 && (startsWith(line, kCaptureDate) || startsWith(line, kTimeZero))) continue;
        text += '"' + oneLine(line) + "\"\n";
    }
    if (h.startUnixMs != 0) {
        text += '"' + std::string(kCaptureDate) + mslDateText(h.startUnixMs) + "\"\n";
        text += '"' + std::string(kTimeZero) + isoUtcText(h.startUnixMs) + "\"\n";
    }
    for (std::size_t i = 0; i < h.columns.size(); ++i)
        text += (i ? "\t" : "") + oneLine(h.columns[i].name);
    text += '\n';
    for (std::size_t i = 0; i < h.columns.size(); ++i)
        text += (i ? "\t" : "") + oneLine(h.columns[i].unit);
    text += '\n';
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
    std::string line = "MARK ";
    appendPadded(line, std::max(number, 0), 3);
    line += " - ";
    line += oneLine(text);
    if (unixMs != 0) line += " - " + mslDateText(unixMs);
    line += '\n';
    return line;
}

// ---- MslWriter

bool MslWriter::failed() const {
    if (error_ != 0) errno = error_;
    return error_ != 0;
}

bool MslWriter::put(const std::string& text) {
    if (failed()) return false;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
        error_ = errno != 0 ? errno : EIO;
        return false;
    }
    return true;
}

bool MslWriter::begin(const LogHeader& header) {
    header_ = header;
    begun_ = true;
    markers_ = 0;
    return put(mslHeaderText(header_));
}

bool MslWriter::row(const LogRow& row) {
    if (!begun_) return false;
    line_.clear();
    appendMslRow(line_, row, header_.columns);
    return put(line_);
}

bool MslWriter::marker(const LogMarker& marker) {
    if (!begun_) return false;
    int64_t unixMs = 0;
    if (header_.startUnixMs != 0)
        unixMs =
            header_.startUnixMs + (std::isfinite(marker.seconds) ? std::llround(marker.seconds * 1000) : 0);
    return put(mslMarkerLine(markers_++, marker.text, unixMs));
}

bool MslWriter::finish() {
    if (failed()) return false;
    errno = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_)) {
        error_ = errno != 0 ? errno : EIO;
        return false;
    }
    return true;
}

// ---- MslReader

MslReader::~MslReader() {
    if (ownsFile_ && file_ != nullptr) std::fclose(file_);
}

bool MslReader::open(const std::string& path, std::string& error) {
    if (file_ != nullptr) {
        error = "the reader is already open";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    const bool ok = open(file, error);
    ownsFile_ = true;
    return ok;
}

bool MslReader::open(std::FILE* file, std::string& error) {
    if (file_ != nullptr) {
        error = "the reader is already open";
        return false;
    }
    file_ = file;
    buffer_.resize(kReadChunk);
    if (!fill()) {
        error = error_;
        return false;
    }
    if (begin_ == end_) {
        error = "the file is empty";
        return false;
    }
    const std::size_t checked = std::min(end_, kTextCheckBytes);
    if (!std::all_of(buffer_.data(), buffer_.data() + checked,
                     [](char c) { return isTextByte(static_cast<unsigned char>(c)); })) {
        error = "not a text file: it holds binary data";
        return false;
    }
    if (startsWith(std::string_view(buffer_.data(), end_), "\xEF\xBB\xBF")) begin_ += 3;
    return readHeader(error);
}

bool MslReader::fill() {
    if (eof_) return true;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size()) {
        if (buffer_.size() >= kLongestLine) {
            error_ = "a line is longer than " + std::to_string(kLongestLine >> 20) + " MiB";
            return false;
        }
        buffer_.resize(buffer_.size() * 2);
    }
    errno = 0;
    const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    end_ += got;
    if (got == 0 || end_ < buffer_.size()) {
        if (std::ferror(file_)) {
            error_ = std::string("read error: ") + std::strerror(errno != 0 ? errno : EIO);
            return false;
        }
        eof_ = std::feof(file_) != 0;
    }
    return true;
}

MslReader::Line MslReader::readLine(std::string_view& line) {
    std::size_t scanned = 0;
    for (;;) {
        const char* start = buffer_.data() + begin_;
        const std::size_t available = end_ - begin_;
        const void* lf = std::memchr(start + scanned, '\n', available - scanned);
        if (lf != nullptr) {
            const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
            line = std::string_view(start, length);
            begin_ += length + 1;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            return Line::Text;
        }
        if (eof_) {
            if (available == 0) return Line::End;
            line = std::string_view(start, available);
            begin_ = end_;
            return Line::Cut;
        }
        scanned = available;
        if (!fill()) return Line::Failed;
    }
}

bool MslReader::readHeader(std::string& error) {
    std::string_view line;
    bool haveTimeZero = false;
    for (;;) {
        const Line kind = readLine(line);
        if (kind == Line::Failed) {
            error = error_;
            return false;
        }
        if (kind == Line::End) {
            error = "no names row: the file holds no line starting with Time";
            return false;
        }
        // The names row keeps its tabs: a last column may have an empty name.
        if (trimmed(line).empty()) continue;
        if (trimmed(line).front() != '"') break;
        line = trimmed(line);
        line.remove_prefix(1);
        if (!line.empty() && line.back() == '"') line.remove_suffix(1);
        int64_t unixMs = 0;
        if (startsWith(line, kTimeZero) && parseIsoUtc(line.substr(kTimeZero.size()), unixMs)) {
            header_.startUnixMs = unixMs;
            haveTimeZero = true;
        } else if (startsWith(line, kCaptureDate) &&
                   parseMslDate(line.substr(kCaptureDate.size()), true, unixMs)) {
            if (!haveTimeZero) header_.startUnixMs = unixMs;
        } else {
            header_.info.emplace_back(line);
        }
    }

    const std::vector<std::string_view> names = splitTabs(line);
    if (trimmed(names[0]) != kTimeColumn) {
        error = "not an MSL log: the first column is \"" + std::string(trimmed(names[0]).substr(0, 40)) +
                "\", not Time";
        return false;
    }
    for (const std::string_view name : names) {
        LogColumn column;
        column.name = std::string(trimmed(name));
        header_.columns.push_back(std::move(column));
    }

    // The units row: the line after the names unless it is a marker or a row.
    std::string_view second;
    const Line kind = readLine(second);
    if (kind == Line::Failed) {
        error = error_;
        return false;
    }
    if (kind == Line::End || startsWith(second, kMark) || startsWithNumber(second)) {
        lookAhead(second, kind);
    } else {
        const std::vector<std::string_view> units = splitTabs(second);
        for (std::size_t i = 0; i < units.size() && i < header_.columns.size(); ++i)
            header_.columns[i].unit = std::string(trimmed(units[i]));
        const Line after = readLine(second);
        lookAhead(second, after);
    }
    if (!error_.empty()) {
        error = error_;
        return false;
    }
    return true;
}

// Reads rows ahead, from `first` (a line already read, of kind `firstKind`)
// on, and gives each column the most digits after the point seen in them.
// next() hands these items out first.
void MslReader::lookAhead(std::string_view first, Line firstKind) {
    std::vector<int> digits(header_.columns.size(), 0);
    std::size_t rows = 0;
    std::string_view line = first;
    Line kind = firstKind;
    for (;;) {
        if (kind == Line::End || kind == Line::Failed) break;
        if (kind == Line::Cut) {
            if (!trimmed(line).empty()) cut_ = true;
            break;
        }
        LogItem item;
        if (itemFromLine(line, item)) {
            if (item.kind == LogItem::Row) {
                learnDigits(line, digits);
                ++rows;
            }
            pending_.push_back(std::move(item));
        }
        if (rows >= kDigitsRows) break;
        kind = readLine(line);
    }
    for (std::size_t i = 0; i < digits.size(); ++i)
        header_.columns[i].digits = digits[i];
}

bool MslReader::next(LogItem& item) {
    if (!pending_.empty()) {
        item = std::move(pending_.front());
        pending_.pop_front();
        return true;
    }
    return readItem(item);
}

bool MslReader::readItem(LogItem& item) {
    if (cut_ || !error_.empty()) return false;
    for (;;) {
        std::string_view line;
        switch (readLine(line)) {
            case Line::End:
            case Line::Failed:
                return false;
            case Line::Cut:
                if (!trimmed(line).empty()) cut_ = true;
                return false;
            case Line::Text:
                if (itemFromLine(line, item)) return true;
                break;
        }
    }
}

// False for a line that carries no item: blank, quoted, or a row without a
// time.
bool MslReader::itemFromLine(std::string_view line, LogItem& item) {
    if (startsWith(line, kMark)) {
        item.kind = LogItem::Marker;
        item.marker.seconds = lastTime_;
        item.marker.text = markerText(line.substr(kMark.size()));
        return true;
    }
    if (trimmed(line).empty() || line.front() == '"') return false;
    item.kind = LogItem::Row;
    const int64_t textCells = parseRow(line, item.row);
    if (isMissing(item.row.values[0])) {
        ++rowsWithoutTime_;
        return false;
    }
    textCells_ += textCells;
    ++rowsRead_;
    lastTime_ = item.row.values[0];
    return true;
}

int64_t MslReader::parseRow(std::string_view line, LogRow& row) const {
    int64_t textCells = 0;
    const std::size_t columns = header_.columns.size();
    row.separator = false;
    row.values.assign(columns, kMissing);
    const char* p = line.data();
    const char* const end = p + line.size();
    for (std::size_t i = 0; i < columns; ++i) {
        const char* tab = static_cast<const char*>(std::memchr(p, '\t', static_cast<std::size_t>(end - p)));
        const char* cellEnd = tab != nullptr ? tab : end;
        const char* first = p;
        while (first < cellEnd && *first == ' ')
            ++first;
        const char* last = cellEnd;
        while (last > first && last[-1] == ' ')
            --last;
        if (first < last && *first == '+') ++first;
        if (first < last) {
            double v;
            const auto r = std::from_chars(first, last, v);
            if (r.ec == std::errc() && r.ptr == last) {
                if (std::isfinite(v)) row.values[i] = v;
            } else if (i > 0) {
                ++textCells;
            }
        }
        if (tab == nullptr) break;
        p = tab + 1;
    }
    return textCells;
}

std::string MslReader::note() const {
    std::string text;
    auto add = [&text](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    if (cut_) add("the last row was cut short; " + std::to_string(rowsRead_) + " whole rows read");
    if (textCells_ == 1) add("1 cell was not a number and was read as empty");
    if (textCells_ > 1) add(std::to_string(textCells_) + " cells were not numbers and were read as empty");
    if (rowsWithoutTime_ == 1) add("1 line without a time was left out");
    if (rowsWithoutTime_ > 1) add(std::to_string(rowsWithoutTime_) + " lines without a time were left out");
    return text;
}

}  // namespace kvr
