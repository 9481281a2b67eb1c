// Writing MSL: the tab-separated text log that tuners' log viewers open.
// Quoted information lines, a names row, a units row, one row per record with
// '.' as the decimal point, and "MARK" lines between the rows.
//
// The text functions are what the live data log's writer thread calls for
// every record, so they format with std::to_chars (no locale, no streams).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "dashboard/datalog/file_output.h"
#include "dashboard/datalog/log_table.h"

namespace kvr {

// How the information lines that carry the start time, and the marker lines,
// begin. MslReader knows these lines by the same words.
inline constexpr std::string_view kMslCaptureDate = "Capture Date: ";
inline constexpr std::string_view kMslTimeZero = "Time 0: ";
inline constexpr std::string_view kMslMark = "MARK ";

// The quoted information lines, the capture date and exact start time when
// h.startUnixMs is known, then the names row and the units row.
std::string mslHeaderText(const LogHeader& h);

// One row: Time with 3 digits, every other number with its column's digits,
// Hex, OnOff and UnixMs columns as whole numbers, an empty cell where a value
// is missing. A separator row keeps its Time and leaves every other cell empty.
void appendMslRow(std::string& out, const LogRow& row, const std::vector<LogColumn>& columns);

// "MARK 000 - text - Tue Dec 08 16:28:01 UTC 2026\n"; without the date when
// unixMs is 0. Tabs, line breaks and other control characters in the text
// become spaces, as they do in the header's lines.
std::string mslMarkerLine(int number, const std::string& text, int64_t unixMs);

// Writes an MSL log to a file it does not own. Markers are numbered from 0
// in the order written and dated from the header's start time.
class MslWriter : public LogWriter {
public:
    explicit MslWriter(std::FILE* file) : out_(file) {}

    bool begin(const LogHeader& header) override;
    bool row(const LogRow& row) override;
    bool marker(const LogMarker& marker) override;
    bool finish() override;

    // The errno of the first failed write, 0 if none. Every call after it
    // returns false and sets errno to it again.
    int error() const { return out_.error(); }

private:

    FileOutput out_;
    LogHeader header_;
    std::string line_;
    int markers_ = 0;
    bool begun_ = false;
};

}  // namespace kvr
