// kvrtool log --records: every good live record as one CSV row, with the time
// it was received, for analysis at the full rate of the link (the chart
// samples only every 100 ms).
#pragma once

#include <cstdio>
#include <string>

namespace kvr {
class DashboardCore;
}

namespace kvrtool {

class LiveRecordsCsv {
public:
    LiveRecordsCsv() = default;
    ~LiveRecordsCsv();
    LiveRecordsCsv(const LiveRecordsCsv&) = delete;
    LiveRecordsCsv& operator=(const LiveRecordsCsv&) = delete;

    // "-" is standard output. False, with a line on stderr, when it cannot be created.
    bool open(const std::string& path);
    // One row for the record the core has just decoded; the header before the first.
    void write(const kvr::DashboardCore& core);
    // False, with a line on stderr, when a write failed.
    bool close();
    // Closes and deletes the file (a run that never started).
    void remove();

private:
    std::string path_;
    FILE* file_ = nullptr;
    bool headerWritten_ = false;
};

// "YYYY-MM-DDTHH:MM:SS.mmm" of a local date-time in days since 1899-12-30.
std::string isoLocalTime(double days);

}  // namespace kvrtool
