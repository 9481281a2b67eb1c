// MSL: the tab-separated text log that tuners' log viewers open. Quoted
// information lines, a names row, a units row, one row per record with '.'
// as the decimal point, and "MARK" lines between the rows.
//
// The text functions are what the live data log's writer thread calls for
// every record, so they format with std::to_chars (no locale, no streams).
// The reader streams through a file in constant memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "dashboard/datalog/log_table.h"

namespace kvr {

// Appends `value` with `digits` after the point (at most 17), '.' as the
// decimal point whatever the locale; with kAsStored (any negative digits) the
// shortest text without exponent that reads back as the same float. "-0.0"
// is written as "0.0". A value that is not finite appends nothing: the text
// formats keep numbers only.
void appendFixed(std::string& out, double value, int digits);

// "Tue Dec 08 16:27:44 UTC 2026": the date of `unixMs` in UTC as MSL logs
// and their markers carry it.
std::string mslDateText(int64_t unixMs);

// The quoted information lines, the capture date and exact start time when
// h.startUnixMs is known, then the names row and the units row.
std::string mslHeaderText(const LogHeader& h);

// One row: Time with 3 digits, every other number with its column's digits,
// Hex, OnOff and UnixMs columns as whole numbers, an empty cell where a value
// is missing. A separator row keeps its Time and leaves every other cell empty.
void appendMslRow(std::string& out, const LogRow& row, const std::vector<LogColumn>& columns);

// "MARK 000 - text - Tue Dec 08 16:28:01 UTC 2026\n"; without the date when
// unixMs is 0. Tabs and line breaks in the text become spaces.
std::string mslMarkerLine(int number, const std::string& text, int64_t unixMs);

// Writes an MSL log to a file it does not own. Markers are numbered from 0
// in the order written and dated from the header's start time.
class MslWriter : public LogWriter {
public:
    explicit MslWriter(std::FILE* file) : file_(file) {}

    bool begin(const LogHeader& header) override;
    bool row(const LogRow& row) override;
    bool marker(const LogMarker& marker) override;
    bool finish() override;

    // The errno of the first failed write, 0 if none. Every call after it
    // returns false and sets errno to it again.
    int error() const { return error_; }

private:
    bool put(const std::string& text);
    // True after a write failed, with errno set again to its error.
    bool failed() const;

    std::FILE* file_;
    LogHeader header_;
    std::string line_;
    int markers_ = 0;
    bool begun_ = false;
    int error_ = 0;
};

// Reads an MSL log item by item. Every column reads as a Number whose digits
// are the most seen in the first rows; the capture date or "Time 0" line sets
// header().startUnixMs and is not kept in header().info.
class MslReader : public LogReader {
public:
    MslReader() = default;
    ~MslReader() override;
    MslReader(const MslReader&) = delete;
    MslReader& operator=(const MslReader&) = delete;

    // Opens the file and reads its header; once per reader. False with the
    // reason in `error` for a file that cannot be read or is not an MSL log:
    // empty, binary, or without a Time column.
    bool open(const std::string& path, std::string& error);
    // The same over a file opened for reading by the caller, who closes it.
    bool open(std::FILE* file, std::string& error);

    const LogHeader& header() const override { return header_; }
    bool next(LogItem& item) override;
    std::string error() const override { return error_; }
    // Rows dropped or cells that were not numbers, once reading has ended.
    std::string note() const override;

private:
    enum class Line { Text, Cut, End, Failed };

    bool readHeader(std::string& error);
    Line readLine(std::string_view& line);
    bool fill();
    // Reads the next data row or marker into `item`; false at the end.
    bool readItem(LogItem& item);
    bool itemFromLine(std::string_view line, LogItem& item);
    // Fills `row` from a data line; the number of cells that were text.
    int64_t parseRow(std::string_view line, LogRow& row) const;
    void lookAhead(std::string_view first, Line firstKind);

    std::FILE* file_ = nullptr;
    bool ownsFile_ = false;
    LogHeader header_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // the unread bytes are buffer_[begin_, end_)
    std::size_t end_ = 0;
    bool eof_ = false;
    std::deque<LogItem> pending_;  // read ahead to learn the columns' digits
    double lastTime_ = 0;
    int64_t rowsRead_ = 0;
    int64_t textCells_ = 0;
    int64_t rowsWithoutTime_ = 0;
    bool cut_ = false;
    std::string error_;
};

}  // namespace kvr
