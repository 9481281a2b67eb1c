// CSV for spreadsheets: a header row of "Name (unit)" cells and a last
// "Marker" column, one row per log row, cells quoted where they hold a comma,
// a quote or a line break. Numbers keep '.' as the decimal point whatever the
// locale; Time has 3 digits, other numbers their column's digits (see
// appendFixed() for kAsStored).
#pragma once

#include <cstdio>
#include <string>

#include "dashboard/datalog/file_output.h"
#include "dashboard/datalog/log_table.h"

namespace kvr {

// Writes a CSV log to a file it does not own.
//   UnixMs columns: local date and time, "2026-12-08T16:27:44.123", headed
//                   "<name> (local time)"
//   Hex columns:    "0x86"; OnOff columns: 0 or 1
//   missing value:  an empty cell; a separator row has only its Time
// A marker's text goes into the Marker cell of the row it follows (several
// joined with "; "); a marker before the first row gets a row of its own at
// the marker's time. The last row is held back until the next row or
// finish() so markers can still join it.
class CsvWriter : public LogWriter {
public:
    explicit CsvWriter(std::FILE* file) : out_(file) {}

    bool begin(const LogHeader& header) override;
    bool row(const LogRow& row) override;
    bool marker(const LogMarker& marker) override;
    bool finish() override;

    // The errno of the first failed write, 0 if none. Every call after it
    // returns false and sets errno to it again.
    int error() const { return out_.error(); }

private:
    bool writeHeld();

    FileOutput out_;
    LogHeader header_;
    std::string held_;     // the last row, without its Marker cell
    std::string markers_;  // the texts of the markers that follow it
    bool holding_ = false;
    bool begun_ = false;
};

}  // namespace kvr
