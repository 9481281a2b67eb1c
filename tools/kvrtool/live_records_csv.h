// kvrtool log --records: every good live record as one CSV row, with the time
// it was received, for analysis at the full rate of the link (the chart
// samples only every 100 ms). A sink of the session.
#pragma once

#include <cstdio>
#include <string>

#include "dashboard/dashboard_core.h"
#include "dashboard/decode/live_values.h"
#include "dashboard/session/record_sink.h"

namespace kvrtool {

class LiveRecordsCsv : public kvr::RecordSink {
public:
    explicit LiveRecordsCsv(const kvr::ImageFacts& facts) : facts_(facts) {}
    ~LiveRecordsCsv() override;
    LiveRecordsCsv(const LiveRecordsCsv&) = delete;
    LiveRecordsCsv& operator=(const LiveRecordsCsv&) = delete;

    // "-" is standard output. False, with a line on stderr, when it cannot be created.
    bool open(const std::string& path);
    // One row for the record; the header before the first.
    void onRecord(const kvr::LiveRecord& record) override;
    // False, with a line on stderr, when a write failed.
    bool close();
    // Closes and deletes the file (a run that never started).
    void remove();

private:
    const kvr::ImageFacts& facts_;
    kvr::LiveValues values_;  // a value a record cannot give keeps its last reading
    std::string path_;
    FILE* file_ = nullptr;
    bool headerWritten_ = false;
};

// "YYYY-MM-DDTHH:MM:SS.mmm" of a local date-time in days since 1899-12-30.
std::string isoLocalTime(double days);

}  // namespace kvrtool
