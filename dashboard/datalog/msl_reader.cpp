#include "dashboard/datalog/msl_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "dashboard/datalog/log_text.h"
#include "dashboard/datalog/msl_cells.h"
#include "dashboard/datalog/msl_writer.h"

namespace kvr {

namespace {

// The reader's buffer, and how long a single line may grow before the file
// is taken to be something other than a log.
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kLongestLine = 16 * 1024 * 1024;
// A file with control characters other than tab and line ends here is binary.
constexpr std::size_t kTextCheckBytes = 4096;
// How many data rows are read ahead at open to learn each column's digits.
constexpr std::size_t kDigitsRows = 16;

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool isTextByte(unsigned char c) { return c >= 0x20 || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

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
        if (mslTrimmed(line).empty()) continue;
        if (mslTrimmed(line).front() != '"') break;
        line = mslTrimmed(line);
        line.remove_prefix(1);
        if (!line.empty() && line.back() == '"') line.remove_suffix(1);
        int64_t unixMs = 0;
        if (startsWith(line, kMslTimeZero) && parseIsoUtc(line.substr(kMslTimeZero.size()), unixMs)) {
            header_.startUnixMs = unixMs;
            haveTimeZero = true;
        } else if (startsWith(line, kMslCaptureDate) &&
                   parseMslDate(line.substr(kMslCaptureDate.size()), true, unixMs)) {
            if (!haveTimeZero) header_.startUnixMs = unixMs;
        } else {
            header_.info.emplace_back(line);
        }
    }

    const std::vector<std::string_view> names = mslCells(line);
    if (mslTrimmed(names[0]) != kTimeColumn) {
        error = "not an MSL log: the first column is \"" + std::string(mslTrimmed(names[0]).substr(0, 40)) +
                "\", not Time";
        return false;
    }
    for (const std::string_view name : names) {
        LogColumn column;
        column.name = std::string(mslTrimmed(name));
        header_.columns.push_back(std::move(column));
    }

    // The units row: the line after the names unless it is a marker or a row.
    std::string_view second;
    const Line kind = readLine(second);
    if (kind == Line::Failed) {
        error = error_;
        return false;
    }
    if (kind == Line::End || startsWith(second, kMslMark) || isMslDataLine(second)) {
        lookAhead(second, kind);
    } else {
        const std::vector<std::string_view> units = mslCells(second);
        for (std::size_t i = 0; i < units.size() && i < header_.columns.size(); ++i)
            header_.columns[i].unit = std::string(mslTrimmed(units[i]));
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
            if (!mslTrimmed(line).empty()) cut_ = true;
            break;
        }
        LogItem item;
        if (itemFromLine(line, item)) {
            if (item.kind == LogItem::Row) {
                raiseMslDigits(line, digits);
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
                if (!mslTrimmed(line).empty()) cut_ = true;
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
    if (startsWith(line, kMslMark)) {
        item.kind = LogItem::Marker;
        item.marker.seconds = lastTime_;
        item.marker.text = mslMarkerText(line.substr(kMslMark.size()));
        return true;
    }
    if (mslTrimmed(line).empty() || line.front() == '"') return false;
    item.kind = LogItem::Row;
    const int64_t textCells = parseMslRow(line, header_.columns.size(), item.row);
    if (isMissing(item.row.values[0])) {
        ++rowsWithoutTime_;
        return false;
    }
    textCells_ += textCells;
    ++rowsRead_;
    lastTime_ = item.row.values[0];
    return true;
}

std::string MslReader::note() const {
    std::string text;
    auto add = [&text](const std::string& clause) { text += (text.empty() ? "" : "; ") + clause; };
    if (cut_) add("the last row was cut short; " + std::to_string(rowsRead_) + " whole rows read");
    if (textCells_ == 1) add("1 cell was not a number and was read as empty");
    if (textCells_ > 1) add(std::to_string(textCells_) + " cells were not numbers and were read as empty");
    if (rowsWithoutTime_ == 1) add("1 line without a time was left out");
    if (rowsWithoutTime_ > 1) add(std::to_string(rowsWithoutTime_) + " lines without a time were left out");
    return text;
}

}  // namespace kvr
