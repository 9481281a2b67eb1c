// The full-rate data log: a sink of the session that writes one row per good
// live record, every field in engineering units, to an MSL text file as the
// records arrive. Rows are formatted on the tick's thread (a few
// microseconds) and written by a journal thread of their own, synced at
// least once a second, so a crash loses at most the last second and a row is
// either whole or the cut last line. Memory stays the same however long the
// log runs: nothing is kept but the row being formatted.
//
// It records while its owner says so (the chart log's decision: one switch
// and one set of rules decide what is kept), and writes each marker after its
// newest row.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dashboard/datalog/data_log_columns.h"
#include "dashboard/logging/file_journal.h"
#include "dashboard/session/message_log.h"
#include "dashboard/session/record_sink.h"

namespace kvr {

// Unix milliseconds of the system's wall clock.
int64_t systemUnixMs();

class DataLog : public RecordSink {
public:
    using UnixClock = std::function<int64_t()>;
    DataLog() = default;
    ~DataLog() override;
    DataLog(const DataLog&) = delete;
    DataLog& operator=(const DataLog&) = delete;

    // The arrival time of each row; the system's clock unless a test says otherwise.
    UnixClock unixClock = systemUnixMs;
    // Whether this record is kept; unset: every record is.
    std::function<bool()> recording;
    // Where a new log's file goes, asked at its first row; empty: nowhere
    // (the rows are not written).
    std::function<std::string()> newPath;
    // Said once when the file cannot be written.
    MessageLog* messages = nullptr;

    // What the values image says about the rows: the MAP sensor and the
    // software version. Applies from the next log on.
    void setImage(MapForm mapForm, int32_t softwareVersion);

    void onRecord(const LiveRecord& record) override;
    // A marker after the newest row: "MARK nnn - text - date".
    void mark(int number, const std::string& text);

    // --- The log's file ----------------------------------------------------------
    bool isOpen() const { return file_.isOpen(); }
    const std::string& path() const { return file_.path(); }
    int64_t rows() const { return rows_; }
    // Rows since the log began or was last saved.
    int64_t unsavedRows() const { return rows_ - savedRows_; }
    void markSaved() { savedRows_ = rows_; }
    // The first write error (errno), 0 when none.
    int writeError() const { return file_.writeError(); }
    // Waits until every row so far is in the file (for a copy of it).
    void flush() { file_.flush(); }
    // Ends this log: the next recorded row begins a new one. The file stays.
    void close();
    // Ends this log and deletes its file.
    void discard();

private:
    bool begin(const LiveRecord& first);

    FileJournal file_;
    DataLogUnits units_;
    MapForm mapForm_ = MapForm::Gauge;
    int32_t softwareVersion_ = 0;
    std::vector<LogColumn> columns_;
    int64_t startUnixMs_ = 0;
    int64_t rows_ = 0;
    int64_t savedRows_ = 0;
    bool failed_ = false;  // this log's file could not be opened: said once
    LogRow row_;
    std::string text_;
};

}  // namespace kvr
