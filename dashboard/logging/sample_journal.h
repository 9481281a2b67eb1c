// A log chart file written as the samples come, through a FileJournal: a
// crash or a kill loses nothing already written, and a power cut at most
// about the last second. The file is the plain log chart format, so it opens
// like any saved log.
#pragma once

#include <cstdint>
#include <string>

#include "dashboard/logging/file_journal.h"
#include "dashboard/logging/trend_record.h"

namespace kvr {

class SampleJournal {
public:
    // Creates the file empty and locks it; false, with the reason, on failure.
    bool open(const std::string& path, std::string& error) { return file_.open(path, error); }
    bool isOpen() const { return file_.isOpen(); }
    const std::string& path() const { return file_.path(); }

    void append(const TrendRecord& record);
    // Five separator records with the digits of `before`: a break in the log.
    void appendGap(const TrendRecord& before);

    // Writes and syncs everything queued, then closes the file.
    void close() { file_.close(); }
    // Closes and deletes the file.
    void closeAndRemove() { file_.closeAndRemove(); }

    // Records written to the file so far, and the first write error (errno).
    int64_t writtenRecords() const { return file_.writtenItems(); }
    int writeError() const { return file_.writeError(); }

private:
    FileJournal file_;
};

}  // namespace kvr
