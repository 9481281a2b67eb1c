// A log as the exporters and readers see it: columns with units, rows of
// numbers in time order, and markers between the rows. Every file format the
// program reads or writes (the data log's MSL text, MLG, CSV, the log chart
// file) is read into or written from these, one item at a time, so a log of
// any length passes through in constant memory.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace kvr {

// How a column's numbers are shown: a number with `digits` after the point,
// a byte in hex (written as a plain number where a format keeps numbers
// only), an on/off flag (0 or 1), or a wall-clock time as Unix milliseconds
// (a whole number; CSV shows it as a local date and time).
enum class ColumnStyle : uint8_t { Number, Hex, OnOff, UnixMs };

struct LogColumn {
    std::string name;  // plain and stable: "RPM", "MAP", "AFR"
    std::string unit;  // may be empty
    // After the decimal point; kAsStored: the shortest text that reads back
    // as the same single-precision value (a log chart's channels, which
    // keep floats, are written so that nothing is rounded away).
    int digits = 0;
    ColumnStyle style = ColumnStyle::Number;
};

inline constexpr int kAsStored = -1;

// The first column of every log is "Time", in seconds from the start.
inline constexpr const char* kTimeColumn = "Time";

struct LogHeader {
    std::vector<LogColumn> columns;  // columns[0] is Time (s)
    // The wall clock of Time 0 as Unix milliseconds (UTC); 0 when unknown.
    int64_t startUnixMs = 0;
    // Free text kept with the log: the program, the capture date, the ECU's
    // software version. One line each, without quotes.
    std::vector<std::string> info;
};

// A missing value (an empty cell).
inline constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
inline bool isMissing(double v) { return std::isnan(v); }

// One row: values[0] is Time in seconds, then one value per further column
// (kMissing where the record did not carry it). A separator marks a break in
// the recording: its Time is that of the row before it and every other value
// is missing.
struct LogRow {
    std::vector<double> values;
    bool separator = false;
};

// A marker sits after the row it was placed on; `seconds` is that row's Time.
struct LogMarker {
    double seconds = 0;
    std::string text;  // one line, no tabs
};

// One item of a log in file order: a row or a marker.
struct LogItem {
    enum Kind : uint8_t { Row, Marker } kind = Row;
    LogRow row;
    LogMarker marker;
};

// Reads a log item by item. header() is valid once open succeeded.
class LogReader {
public:
    virtual ~LogReader() = default;
    virtual const LogHeader& header() const = 0;
    // The next item, false at the end or on an error (error() says which).
    virtual bool next(LogItem& item) = 0;
    // Empty unless reading failed; a cut last row is not an error but a note.
    virtual std::string error() const { return {}; }
    virtual std::string note() const { return {}; }
};

// Writes a log item by item: begin once, rows and markers, finish once.
// Each returns false on a write error, with errno set to its cause.
class LogWriter {
public:
    virtual ~LogWriter() = default;
    virtual bool begin(const LogHeader& header) = 0;
    virtual bool row(const LogRow& row) = 0;
    virtual bool marker(const LogMarker& marker) = 0;
    virtual bool finish() = 0;
    // A row or a marker, whichever the item holds.
    bool item(const LogItem& item) { return item.kind == LogItem::Row ? row(item.row) : marker(item.marker); }
};

}  // namespace kvr
