// Reading MSL, the tab-separated text log MslWriter writes, and the logs of
// other tools in the same form. The reader streams through a file in
// constant memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "dashboard/datalog/log_table.h"

namespace kvr {

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
